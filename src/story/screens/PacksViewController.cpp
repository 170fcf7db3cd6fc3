#include "story/screens/PacksViewController.h"

#include "story/screens/FailureCauseText.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "platform/foundation/LocalizedText.h"
#include "platform/foundation/NSLocale.h"
#include "platform/foundation/NSLocalizedString.h"
#include "platform/resources/PackLibrary.h"
#include "platform/ui/UIAccessibility.h"
#include "platform/ui/UIAlertController.h"
#include "platform/ui/UIClassRegistry.h"
#include "platform/ui/UIView.h"

PacksViewController::PacksViewController(NSCoder& coder, std::shared_ptr<PackLibrary> packs)
    : UIViewController(coder), packs_(std::move(packs)) {
    if (!packs_)
        throw std::invalid_argument("the downloads panel needs the pack library");
}

PacksViewController::~PacksViewController() {
    if (observer_ != 0)
        packs_->removeObserver(observer_);
}

void PacksViewController::viewDidLoad() {
    UIViewController::viewDidLoad();
    findRows();
    std::weak_ptr<PacksViewController> weakSelf = weakFrom(this);
    observer_ = packs_->addObserver([weakSelf](const PackStatus& status) {
        if (auto self = weakSelf.lock())
            self->show(status);
    });
    for (const auto& row : rows_)
        show(row, packs_->status(row.tag));
    showFreeSpace();
    showCaptionsSetting();
    showLanguageSetting();
    showAutomaticUpdatesSetting();
}

void PacksViewController::automaticUpdatesPressed(UIButton&) {
    packs_->setUpdatesAutomatically(!packs_->updatesAutomatically());
    showAutomaticUpdatesSetting();
}

void PacksViewController::showAutomaticUpdatesSetting() {
    if (auto button = automaticUpdatesButton.lock())
        button->setTitle(localizedFormat(
            NSLocalizedString("Update packs automatically: %1"),
            {packs_->updatesAutomatically() ? NSLocalizedString("On") : NSLocalizedString("Off")}));
}

void PacksViewController::captionsPressed(UIButton&) {
    UIAccessibility::setClosedCaptioningEnabled(!UIAccessibility::isClosedCaptioningEnabled());
    showCaptionsSetting();
}

void PacksViewController::languagePressed(UIButton&) {
    auto languages = NSLocale::availableLanguages();
    languages.insert(languages.begin(), std::string());
    auto at = std::find(languages.begin(), languages.end(), NSLocale::chosenLanguage());
    NSLocale::chooseLanguage(at == languages.end() || at + 1 == languages.end() ? languages.front()
                                                                                : *(at + 1));
    showLanguageSetting();
}

void PacksViewController::showLanguageSetting() {
    auto button = languageButton.lock();
    if (!button)
        return;
    auto chosen = NSLocale::chosenLanguage();
    // A language is named in its own words, whatever the window speaks.
    button->setTitle(
        localizedFormat(NSLocalizedString("Language: %1"),
                        {chosen.empty() ? LocalizedText(NSLocalizedString("as the system"))
                                        : LocalizedText::name(NSLocale::nativeName(chosen))}));
}

void PacksViewController::showCaptionsSetting() {
    if (auto button = captionsButton.lock())
        button->setTitle(localizedFormat(
            NSLocalizedString("Captions on every video: %1"),
            {UIAccessibility::isClosedCaptioningEnabled() ? NSLocalizedString("On")
                                                          : NSLocalizedString("Off")}));
}

void PacksViewController::findRows() {
    auto root = view();
    std::vector<std::shared_ptr<UIView>> pending{root};
    while (!pending.empty()) {
        auto current = pending.back();
        pending.pop_back();
        for (const auto& child : current->subviews())
            pending.push_back(child);
        auto button = std::dynamic_pointer_cast<UIButton>(current);
        if (!button || button->downloadTag().empty())
            continue;
        Row row{
            button->downloadTag(), button, {}, {}, {}, LocalizedText::name(button->downloadTag()),
            button->shownTitle()};
        row.state = std::dynamic_pointer_cast<UILabel>(
            root->viewWithTag(button->tag() + kStateLabelOffset));
        row.edition = std::dynamic_pointer_cast<UILabel>(
            root->viewWithTag(button->tag() + kEditionLabelOffset));
        row.update = std::dynamic_pointer_cast<UIButton>(
            root->viewWithTag(button->tag() + kUpdateButtonOffset));
        if (auto contents = std::dynamic_pointer_cast<UILabel>(
                root->viewWithTag(button->tag() + kContentsLabelOffset)))
            row.contents = contents->shownText();
        rows_.push_back(std::move(row));
    }
}

void PacksViewController::show(const PackStatus& status) {
    for (const auto& row : rows_) {
        if (row.tag == status.tag)
            show(row, status);
    }
    // The disk's free space changes once a download has ended, not at each step of it.
    if (status.state != PackStatus::State::downloading)
        showFreeSpace();
}

void PacksViewController::showFreeSpace() {
    if (auto label = freeSpaceLabel.lock()) {
        auto space = packs_->availableSpace();
        label->setText(
            localizedFormat(NSLocalizedString("Free space on this disk: %1"),
                            {space ? LocalizedText::Argument(LocalizedText::ByteCount{*space})
                                   : NSLocalizedString("unknown")}));
    }
}

LocalizedText PacksViewController::stateText(const PackStatus& status) {
    switch (status.state) {
        case PackStatus::State::installed:
            if (status.checkingFiles)
                return NSLocalizedString("Checking the files…");
            return localizedFormat(
                status.filesChecked ? NSLocalizedString("On this machine: %1, every file checked")
                                    : NSLocalizedString("On this machine: %1"),
                {LocalizedText::ByteCount{status.bytesOnDisk}});
        case PackStatus::State::downloading:
            return localizedFormat(NSLocalizedString("Downloading: %1%"),
                                   {int(status.fraction * 100)});
        case PackStatus::State::failed:
            return localizedFormat(NSLocalizedString("Could not download: %1"),
                                   {failureCauseText(status.cause)});
        case PackStatus::State::damaged: {
            std::string names;
            for (const auto& name : status.damaged)
                names += (names.empty() ? "" : ", ") + name;
            return localizedFormat(NSLocalizedString("Damaged, to download again: %1"),
                                   {LocalizedText::name(names)});
        }
        default:
            return NSLocalizedString("Not downloaded");
    }
}

LocalizedText PacksViewController::editionText(const PackStatus& status) {
    if (status.state != PackStatus::State::installed || status.edition == 0)
        return {};
    using Update = PackStatus::Update::State;
    const auto& update = status.update;
    const LocalizedText::Argument edition(status.edition);
    switch (update.state) {
        case Update::checking:
            return localizedFormat(NSLocalizedString("Edition %1: looking for a newer one…"),
                                   {edition});
        case Update::upToDate:
            return localizedFormat(NSLocalizedString("Edition %1, up to date"), {edition});
        case Update::available:
            return localizedFormat(NSLocalizedString("Edition %1 is available: %2 to download"),
                                   {update.edition, LocalizedText::ByteCount{update.bytes}});
        case Update::updating:
            return localizedFormat(NSLocalizedString("Updating: %1%"),
                                   {int(update.fraction * 100)});
        case Update::failed:
            return localizedFormat(NSLocalizedString("Could not update: %1"),
                                   {failureCauseText(update.cause)});
        default:
            return localizedFormat(NSLocalizedString("Edition %1"), {edition});
    }
}

void PacksViewController::show(const Row& row, const PackStatus& status) {
    auto button = row.button.lock();
    auto state = row.state.lock();
    if (!button)
        return;
    const char* title;
    switch (status.state) {
        case PackStatus::State::installed:
            title = NSLocalizedString("Remove %1");
            break;
        case PackStatus::State::downloading:
            title = NSLocalizedString("Downloading %1");
            break;
        case PackStatus::State::failed:
        case PackStatus::State::damaged:
            title = NSLocalizedString("Retry %1");
            break;
        default:
            title = NSLocalizedString("Download %1");
    }
    button->setTitle(localizedFormat(title, {row.noun}));
    button->setEnabled(status.state != PackStatus::State::downloading);
    if (state)
        state->setText(stateText(status));
    if (auto edition = row.edition.lock())
        edition->setText(editionText(status));
    if (auto update = row.update.lock()) {
        using Update = PackStatus::Update::State;
        bool offered =
            status.state == PackStatus::State::installed &&
            (status.update.state == Update::available || status.update.state == Update::updating);
        update->setHidden(!offered);
        update->setEnabled(status.update.state == Update::available);
        update->setTitle(localizedFormat(NSLocalizedString("Update %1"), {row.noun}));
    }
}

void PacksViewController::packButtonPressed(UIButton& sender) {
    for (const auto& row : rows_) {
        if (row.button.lock().get() != &sender)
            continue;
        auto status = packs_->status(row.tag);
        if (status.state == PackStatus::State::installed)
            confirmRemoval(row, status.bytesOnDisk);
        else if (status.state != PackStatus::State::downloading)
            packs_->request(row.tag, nullptr, nullptr);
    }
}

void PacksViewController::downloadAllPressed(UIButton&) {
    for (const auto& row : rows_) {
        auto state = packs_->status(row.tag).state;
        if (state != PackStatus::State::installed && state != PackStatus::State::downloading)
            packs_->request(row.tag, nullptr, nullptr);
    }
}

void PacksViewController::updatePressed(UIButton& sender) {
    for (const auto& row : rows_) {
        if (row.update.lock().get() == &sender)
            packs_->update(row.tag);
    }
}

void PacksViewController::checkForUpdatesPressed(UIButton&) {
    for (const auto& row : rows_) {
        if (packs_->status(row.tag).state == PackStatus::State::installed)
            packs_->checkForUpdate(row.tag);
    }
}

void PacksViewController::checkFilesPressed(UIButton&) {
    for (const auto& row : rows_) {
        if (packs_->status(row.tag).state == PackStatus::State::installed)
            packs_->checkFiles(row.tag);
    }
}

void PacksViewController::confirmRemoval(const Row& row, std::uint64_t bytes) {
    auto alert = UIAlertController::alertControllerWithTitle(
        NSLocalizedString("Remove from this machine?"),
        localizedFormat(NSLocalizedString("%1: this frees %2. They can be downloaded again later."),
                        {row.contents, LocalizedText::ByteCount{bytes}}),
        UIAlertControllerStyle::alert);
    alert->addAction(UIAlertAction::actionWithTitle(NSLocalizedString("Cancel"),
                                                    UIAlertActionStyle::cancel, nullptr));
    std::weak_ptr<PacksViewController> weakSelf = weakFrom(this);
    alert->addAction(UIAlertAction::actionWithTitle(NSLocalizedString("Remove"),
                                                    UIAlertActionStyle::destructive,
                                                    [weakSelf, row](UIAlertAction&) {
                                                        if (auto self = weakSelf.lock())
                                                            self->remove(row);
                                                    }));
    presentViewController(alert, true, nullptr);
}

void PacksViewController::remove(const Row& row) {
    if (auto refused = packs_->remove(row.tag))
        tell(NSLocalizedString("Not removed"),
             localizedFormat(NSLocalizedString("%1 stayed on this machine: %2."),
                             {row.contents, failureCauseText(refused->cause)}));
}

void PacksViewController::tell(const LocalizedText& title, const LocalizedText& message) {
    auto alert =
        UIAlertController::alertControllerWithTitle(title, message, UIAlertControllerStyle::alert);
    alert->addAction(UIAlertAction::actionWithTitle(NSLocalizedString("OK"),
                                                    UIAlertActionStyle::cancel, nullptr));
    presentViewController(alert, true, nullptr);
}

void PacksViewController::registerClass(std::weak_ptr<PackLibrary> packs) {
    UIControllerClass<PacksViewController>(kClassName,
                                           [packs](NSCoder& coder) {
                                               return std::make_shared<PacksViewController>(
                                                   coder, packs.lock());
                                           })
        .outlet("freeSpaceLabel", &PacksViewController::freeSpaceLabel)
        .outlet("captionsButton", &PacksViewController::captionsButton, OutletUse::optional)
        .action("packButtonPressed:", &PacksViewController::packButtonPressed)
        .action("downloadAllPressed:", &PacksViewController::downloadAllPressed)
        .action("captionsPressed:", &PacksViewController::captionsPressed)
        .outlet("languageButton", &PacksViewController::languageButton, OutletUse::optional)
        .action("languagePressed:", &PacksViewController::languagePressed)
        .outlet("automaticUpdatesButton", &PacksViewController::automaticUpdatesButton,
                OutletUse::optional)
        .action("updatePressed:", &PacksViewController::updatePressed)
        .action("checkForUpdatesPressed:", &PacksViewController::checkForUpdatesPressed)
        .action("checkFilesPressed:", &PacksViewController::checkFilesPressed)
        .action("automaticUpdatesPressed:", &PacksViewController::automaticUpdatesPressed)
        .registerClass();
}
