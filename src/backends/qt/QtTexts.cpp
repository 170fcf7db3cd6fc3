#include "backends/qt/QtTexts.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QLocale>
#include <QStyle>
#include <QStyleOptionButton>

namespace qttexts {

namespace {

// Numbers as the language writes its digits, without grouping: an edition or a year reads as
// one word.
QLocale numbers() {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale;
}

QString shownArgument(const LocalizedText::Argument& argument) {
    if (const auto* text = std::get_if<LocalizedText>(&argument.value))
        return shown(*text);
    if (const auto* number = std::get_if<long long>(&argument.value))
        return numbers().toString(*number);
    auto bytes = std::get<LocalizedText::ByteCount>(argument.value).bytes;
    auto size = LocalizedText::sizeOf(bytes);
    QString value =
        size.whole ? numbers().toString(qulonglong(bytes)) : numbers().toString(size.value, 'f', 1);
    return value + ' ' + qtTrId(size.unit);
}

// The room a button's style leaves for its title.
QRect titleRoom(const QAbstractButton& button) {
    QStyleOptionButton option;
    option.initFrom(&button);
    option.text = button.text();
    return button.style()->subElementRect(QStyle::SE_PushButtonContents, &option, &button);
}

}  // namespace

QString shown(const LocalizedText& text) {
    if (text.empty())
        return {};
    if (text.isName())
        return QString::fromStdString(text.format());
    // Without a translation, qtTrId gives back the English format itself.
    QString pattern = qtTrId(text.format().c_str());
    const auto& arguments = text.arguments();
    if (arguments.empty())
        return pattern;
    // In one pass, so that an argument holding "%2" stays as it is.
    QString filled;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        int number =
            i + 1 < pattern.size() && pattern.at(i) == '%' ? pattern.at(i + 1).digitValue() : -1;
        if (number >= 1 && std::size_t(number) <= arguments.size()) {
            filled += shownArgument(arguments[std::size_t(number) - 1]);
            ++i;
        } else {
            filled += pattern.at(i);
        }
    }
    return filled;
}

QString typedText(const QString& typed) {
    if (QLocale().language() != QLocale::Arabic)
        return typed;
    QString western = typed;
    for (QChar& c : western) {
        char16_t code = c.unicode();
        if (code >= u'\u0660' && code <= u'\u0669')
            c = QChar(u'0' + (code - u'\u0660'));
        else if (code >= u'\u06f0' && code <= u'\u06f9')
            c = QChar(u'0' + (code - u'\u06f0'));
    }
    return western;
}

bool fits(const QString& text, const QFont& font, const QRect& room, bool wrapped) {
    QRect needed = QFontMetrics(font).boundingRect(room, wrapped ? Qt::TextWordWrap : 0, text);
    return needed.width() <= room.width() && needed.height() <= room.height();
}

bool fits(const QLabel& label) {
    return fits(label.text(), label.font(), label.contentsRect(), label.wordWrap());
}

bool fits(const QAbstractButton& button) {
    return QFontMetrics(button.font()).horizontalAdvance(button.text()) <=
           titleRoom(button).width();
}

}  // namespace qttexts
