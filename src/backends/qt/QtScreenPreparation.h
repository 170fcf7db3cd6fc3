#pragma once

#include <QFont>

struct ViewDescription;

// Decodes the pictures of a screen description into the picture cache, and loads the fonts of
// its button titles, at the sizes its widgets ask for at `scale` (unfocused), so that the
// screen is built and painted without waiting for either.
void prepareScreen(const ViewDescription& view, const QFont& font, double scale, qreal ratio);
