#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/LocalizedText.h"
#include "platform/ui/UIViewController.h"

class PackLibrary;
struct PackStatus;
class UIButton;
class UILabel;

// The grown-ups' panel: each on-demand pack with what it holds, its state and its size on
// disk, its edition against the newest its source offers, the free space of the disk, and a
// button per pack that downloads it, retries it after a failure or removes it (after a
// confirmation that says how much space that frees), and one that installs its newer edition.
// Below, buttons that ask the source for newer editions, hash every installed file again, and
// choose whether newer editions install without asking.
//
// The description lists the packs: a row is a button that names its pack (its download tag)
// and has a tag N, the label for the pack's state has tag N + kStateLabelOffset, the one
// saying what it holds tag N + kContentsLabelOffset, the one for its edition tag
// N + kEditionLabelOffset, and its update button tag N + kUpdateButtonOffset. The button's title
// in the description is what its actions are said of ("Download chapters", "Remove songs"), so
// that a screen reader tells the rows' buttons apart.
//
// A button of the description with the outlet "captionsButton" turns captions on or off for
// every video, a family's choice that the platform keeps; one with the outlet "languageButton"
// chooses the language the window speaks, kept likewise and applied to every screen at once.
class PacksViewController : public UIViewController {
public:
    static constexpr const char* kClassName = "PacksViewController";
    static constexpr long long kStateLabelOffset = 10;
    static constexpr long long kContentsLabelOffset = 20;
    static constexpr long long kEditionLabelOffset = 30;
    static constexpr long long kUpdateButtonOffset = 40;

    PacksViewController(NSCoder& coder, std::shared_ptr<PackLibrary> packs);
    ~PacksViewController() override;

    std::string className() const override { return kClassName; }

    void viewDidLoad() override;
    void packButtonPressed(UIButton& sender);
    void downloadAllPressed(UIButton& sender);
    void updatePressed(UIButton& sender);
    // Asks the source of every installed pack for a newer edition.
    void checkForUpdatesPressed(UIButton& sender);
    // Hashes every installed pack's files again.
    void checkFilesPressed(UIButton& sender);
    // Turns automatic updates on or off.
    void automaticUpdatesPressed(UIButton& sender);
    // Turns captions on or off for every video.
    void captionsPressed(UIButton& sender);
    // Goes to the next language the window speaks: the desktop's, then each in turn.
    void languagePressed(UIButton& sender);

    // Its screens show `packs`, which must outlive them.
    static void registerClass(std::weak_ptr<PackLibrary> packs);

    std::weak_ptr<UILabel> freeSpaceLabel;
    std::weak_ptr<UIButton> captionsButton;
    std::weak_ptr<UIButton> languageButton;
    std::weak_ptr<UIButton> automaticUpdatesButton;

private:
    struct Row {
        std::string tag;
        std::weak_ptr<UIButton> button;
        std::weak_ptr<UILabel> state;
        std::weak_ptr<UILabel> edition;
        std::weak_ptr<UIButton> update;
        LocalizedText contents;
        LocalizedText noun;
    };
    void findRows();
    void show(const PackStatus& status);
    void show(const Row& row, const PackStatus& status);
    void showFreeSpace();
    void showCaptionsSetting();
    void showLanguageSetting();
    void showAutomaticUpdatesSetting();
    static LocalizedText stateText(const PackStatus& status);
    static LocalizedText editionText(const PackStatus& status);
    void confirmRemoval(const Row& row, std::uint64_t bytes);
    void remove(const Row& row);
    void tell(const LocalizedText& title, const LocalizedText& message);

    std::shared_ptr<PackLibrary> packs_;
    std::vector<Row> rows_;
    std::uint64_t observer_ = 0;
};
