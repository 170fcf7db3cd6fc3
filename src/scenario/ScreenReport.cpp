#include "scenario/ScreenReport.h"

#include <cstdio>

#include "platform/foundation/DebugLog.h"
#include "platform/foundation/NSURL.h"
#include "platform/media/AVPlayer.h"
#include "platform/media/UICaptionPreview.h"
#include "platform/media/UILyricsView.h"
#include "platform/ui/UIAlertController.h"
#include "platform/ui/UIView.h"
#include "platform/ui/UIViewController.h"

namespace {

std::string quoted(const std::string& text) {
    return debugDescription(text);
}

std::string nameOf(const UIView& view) {
    return view.identifier().empty() ? std::string() : " #" + view.identifier();
}

// One line for a view the reader can see or use; plain containers print
// nothing and only pass their subviews on.
std::string describe(const UIView& view) {
    if (auto button = dynamic_cast<const UIButton*>(&view)) {
        return "button" + nameOf(view) + " " + quoted(button->title()) + " tag " +
               std::to_string(view.tag()) + (button->isEnabled() ? "" : " disabled") +
               (button->isSelected() ? " selected" : "");
    }
    if (auto label = dynamic_cast<const UILabel*>(&view))
        return "label" + nameOf(view) + " " + quoted(label->text());
    if (auto progress = dynamic_cast<const UIProgressView*>(&view)) {
        char value[32];
        std::snprintf(value, sizeof value, "%.2f", double(progress->progress()));
        return "progress" + nameOf(view) + " " + value;
    }
    if (auto field = dynamic_cast<const UITextField*>(&view)) {
        return "field" + nameOf(view) + " " + quoted(field->text()) + " placeholder " +
               quoted(field->placeholder());
    }
    if (auto scroll = dynamic_cast<const UIScrollView*>(&view)) {
        return "scroll" + nameOf(view) + " (" + view.className() + ") offset " +
               formatNumber(scroll->contentOffset().x) + "," +
               formatNumber(scroll->contentOffset().y) + " content " +
               formatNumber(scroll->contentSize().width) + "x" +
               formatNumber(scroll->contentSize().height);
    }
    if (auto image = dynamic_cast<const UIImageView*>(&view))
        return "image" + nameOf(view) + " " + quoted(image->imageName());
    if (auto preview = dynamic_cast<const UICaptionPreview*>(&view))
        return "caption-preview" + nameOf(view) + " " + quoted(preview->text().english()) + " " +
               preview->style().name();
    if (auto lyrics = dynamic_cast<const UILyricsView*>(&view))
        return "lyrics" + nameOf(view) + " " + quoted(lyrics->currentLine()) +
               (lyrics->sungWords() ? " sung " + quoted(std::string(*lyrics->sungWords()))
                                    : std::string()) +
               " next " + quoted(lyrics->nextLine());
    return {};
}

void reportView(std::ostream& out, const std::shared_ptr<UIView>& view, int depth, bool hidden) {
    hidden = hidden || view->isHidden();
    std::string line = describe(*view);
    if (!line.empty()) {
        out << "| " << std::string(std::size_t(depth) * 2 + 2, ' ') << line
            << (hidden ? " hidden" : "") << "\n";
        ++depth;
    }
    for (const auto& subview : view->subviews())
        reportView(out, subview, depth, hidden);
}

}  // namespace

std::string formatNumber(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

void reportScreen(std::ostream& out, UIViewController& screen) {
    if (auto player = dynamic_cast<AVPlayerViewController*>(&screen)) {
        std::string file = "(none)";
        std::string state;
        if (const auto& avPlayer = player->player()) {
            const auto& url = avPlayer->currentItem()->url();
            file = url ? url->path().substr(url->path().find_last_of('/') + 1) : "(none)";
            state = avPlayer->rate() > 0 ? " playing" : " paused";
        }
        out << "| player " << file << state;
        if (auto beneath = screen.presentingViewController())
            out << " over " << beneath->identifier() << " (" << beneath->className() << ")";
        out << "\n";
        return;
    }
    out << "| screen " << screen.identifier() << " (" << screen.className() << ")\n";
    reportView(out, screen.view(), 0, false);
}

void reportAlert(std::ostream& out, const UIAlertController& alert) {
    out << "| alert " << (alert.title() ? quoted(*alert.title()) : "(no title)") << " message "
        << (alert.message() ? quoted(*alert.message()) : "(none)") << " (" << alert.className()
        << ")\n";
    for (const auto& action : alert.actions())
        out << "|   action " << quoted(action->title()) << " " << actionStyleName(action->style())
            << "\n";
    for (const auto& field : alert.textFields()) {
        out << "|   field " << quoted(field->text()) << " placeholder "
            << quoted(field->placeholder()) << "\n";
    }
}
