#include "backends/qt/QtScreenPreparation.h"

#include "backends/qt/QtPictures.h"
#include "backends/qt/QtTexts.h"
#include "backends/qt/QtTheme.h"
#include "backends/qt/QtViewPeer.h"
#include "platform/ui/Storyboard.h"
#include "platform/ui/UIClassRegistry.h"
#include "platform/ui/UIView.h"

void prepareScreen(const ViewDescription& view, const QFont& font, double scale, qreal ratio) {
    auto prototype = UIClassRegistry::shared().makeView(view.className);
    QRect frame = QtViewPeer::scaled(view.frame, scale);
    if (dynamic_cast<UIButton*>(prototype.get())) {
        auto title =
            view.textIsName ? LocalizedText::name(view.text) : LocalizedText::marked(view.text);
        qttheme::titlePixels(qttexts::shown(title), font, view.frame.size.height, frame.width(),
                             scale);
        int inset = qttheme::buttonBorderPixels(false, scale);
        QSize box = frame.adjusted(inset, inset, -inset, -inset).size();
        if (!view.image.empty())
            QtPictures::picture(view.image, box * ratio, QtPictures::Fit::fill);
    } else if (dynamic_cast<UIImageView*>(prototype.get()) && !view.image.empty()) {
        QtPictures::picture(view.image, frame.size() * ratio, QtPictures::Fit::letterbox);
    }
    for (const auto& subview : view.subviews)
        prepareScreen(subview, font, scale, ratio);
}
