#pragma once

#include <string>
#include <vector>

class QWidget;

namespace qttexts {

// The visible texts below `root` that show cut off, each after its widget's class
// (QLabel "..."): a label's, a button's or a picture's caption that does not fit in the font it
// is drawn with. A longer language may need more room than a screen gives it.
std::vector<std::string> cutOffTexts(const QWidget& root);

}  // namespace qttexts
