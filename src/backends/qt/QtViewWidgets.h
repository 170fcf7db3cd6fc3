#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <memory>
#include <string>
#include <vector>

#include "backends/qt/QtKeyboard.h"
#include "backends/qt/QtViewPeer.h"

class QtCaptionLabel;
class UICaptionPreview;
class UILyricsView;

class QtPlainView : public QWidget, public QtViewPeer {
public:
    QtPlainView(std::shared_ptr<UIView> view, QWidget* parent);
};

// A UILabel: its text wrapped in its frame, at the description's size, or smaller where a
// longer language would not fit it otherwise.
class QtLabel : public QLabel, public QtViewPeer {
public:
    QtLabel(std::shared_ptr<UILabel> label, QWidget* parent);

protected:
    void syncContent() override;
};

// A UIButton: a tap, a click, Enter or Space sends the button's actions. Its
// title is the name a screen reader says. A button with a picture shows it inside
// its border, with the title as a caption; without one, or when it cannot be read,
// the title alone.
class QtButton : public QtKeyButton, public QtViewPeer {
public:
    QtButton(std::shared_ptr<UIButton> button, QWidget* parent);
    // Whether the picture carries the download mark: its pack is not installed yet.
    bool awaitsDownload() const { return awaitsDownload_; }
    void setAwaitsDownload(bool awaits);
    // Whether the title shows whole: in the button, or in the caption over its picture.
    bool titleFits() const;

protected:
    void syncContent() override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool awaitsDownload_ = false;
};

class QtProgressBar : public QProgressBar, public QtViewPeer {
public:
    static constexpr int kSteps = 1000;
    QtProgressBar(std::shared_ptr<UIProgressView> progressView, QWidget* parent);

protected:
    void syncContent() override;
};

// A UIImageView: its picture at the largest size that fits, centred (letterboxed).
class QtImageView : public QWidget, public QtViewPeer {
public:
    QtImageView(std::shared_ptr<UIImageView> imageView, QWidget* parent);

protected:
    void syncContent() override { update(); }
    void paintEvent(QPaintEvent* event) override;
};

// A UITextField: what is typed goes into the field at once.
class QtTextField : public QLineEdit, public QtViewPeer {
public:
    QtTextField(std::shared_ptr<UITextField> field, QWidget* parent);

protected:
    void syncContent() override;
};

// A UICaptionPreview: its caption drawn and placed as a player's is, over the picture its frame
// covers; a screen reader reads the caption.
class QtCaptionPreview : public QWidget, public QtViewPeer {
public:
    QtCaptionPreview(std::shared_ptr<UICaptionPreview> preview, QWidget* parent);
    QtCaptionLabel* caption() const { return caption_; }

protected:
    void syncContent() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QtCaptionLabel* caption_;
};

// A UILyricsView: the line being sung large and bright, the next one beneath it smaller and
// dimmer, both centred and wrapped; the words of the line already sung in the buttons' yellow.
// A screen reader reads the whole line being sung.
class QtLyricsView : public QWidget, public QtViewPeer {
public:
    QtLyricsView(std::shared_ptr<UILyricsView> lyrics, QWidget* parent);

protected:
    void syncContent() override;
    void paintEvent(QPaintEvent* event) override;
};
