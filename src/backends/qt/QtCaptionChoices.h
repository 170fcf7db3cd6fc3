#pragma once

#include <optional>
#include <string>

#include "backends/qt/QtKeptChoices.h"
#include "platform/media/CaptionStyle.h"

// The family's caption choices, kept in a file of their own: the language last chosen in the
// player, whether every video starts with captions on, and how captions look. Each value of the
// style stands on its own: one the application does not know (from a newer version, or edited
// by hand) takes its default and leaves the others as chosen.
class QtCaptionChoices {
public:
    explicit QtCaptionChoices(std::string file) : kept_(std::move(file)) {}

    std::optional<std::string> language() const { return kept_.text("captions"); }
    void setLanguage(const std::optional<std::string>& language) {
        kept_.setText("captions", language);
    }
    bool onByDefault() const { return kept_.flag("everyVideo", false); }
    void setOnByDefault(bool on) { kept_.setFlag("everyVideo", on); }
    CaptionStyle style() const;
    void setStyle(const CaptionStyle& style);

private:
    QtKeptChoices kept_;
};
