#include "backends/qt/QtTexts.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QLocale>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOptionButton>
#include <map>
#include <vector>

#include "ShownFormats.inc"

namespace qttexts {

namespace {

// The translation of `english`, or nothing when the catalogue has none.
std::optional<QString> translated(const QByteArray& english) {
    QString text = qtTrId(english.constData());
    if (text == QString::fromUtf8(english))
        return std::nullopt;
    return text;
}

QString shownArgument(const QString& argument) {
    if (auto text = translated(argument.toUtf8()))
        return *text;
    if (auto size = shownSize(argument))
        return *size;
    return argument;
}

struct Format {
    QByteArray english;
    QRegularExpression pattern;  // the arguments, captured in the order they stand
    std::vector<int> numbers;    // of each capture: 1 for "%1"...
};

// The formats, the most specific first: a longer fixed part leaves less to chance.
const std::vector<Format>& formats() {
    static const std::vector<Format> all = [] {
        std::vector<Format> made;
        static const QRegularExpression placeholder("%([1-9])");
        for (const char* english : kShownFormats) {
            Format format{english, {}, {}};
            QString text = QString::fromUtf8(english), pattern = "^";
            qsizetype from = 0;
            for (auto match = placeholder.globalMatch(text); match.hasNext();) {
                auto found = match.next();
                pattern += QRegularExpression::escape(text.mid(from, found.capturedStart() - from));
                pattern += "(.+?)";
                format.numbers.push_back(found.captured(1).toInt());
                from = found.capturedEnd();
            }
            format.pattern =
                QRegularExpression(pattern + QRegularExpression::escape(text.mid(from)) + "$",
                                   QRegularExpression::DotMatchesEverythingOption);
            made.push_back(std::move(format));
        }
        std::stable_sort(made.begin(), made.end(), [](const Format& a, const Format& b) {
            return a.english.size() - 2 * qsizetype(a.numbers.size()) >
                   b.english.size() - 2 * qsizetype(b.numbers.size());
        });
        return made;
    }();
    return all;
}

// The room a button's style leaves for its title.
QRect titleRoom(const QAbstractButton& button) {
    QStyleOptionButton option;
    option.initFrom(&button);
    option.text = button.text();
    return button.style()->subElementRect(QStyle::SE_PushButtonContents, &option, &button);
}

}  // namespace

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

std::optional<QString> shownSize(const QString& text) {
    static const QRegularExpression size("^([0-9]+)(\\.[0-9])? (bytes|kB|MB|GB|TB)$");
    auto match = size.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    QLocale locale;
    QString number =
        match.captured(2).isEmpty()
            ? locale.toString(match.captured(1).toULongLong())
            : locale.toString((match.captured(1) + match.captured(2)).toDouble(), 'f', 1);
    return number + ' ' + qtTrId(match.captured(3).toUtf8().constData());
}

QString shown(const std::string& english) {
    QByteArray bytes = QByteArray::fromStdString(english);
    if (english.empty())
        return {};
    if (auto text = translated(bytes))
        return *text;
    QString text = QString::fromUtf8(bytes);
    for (const auto& format : formats()) {
        auto match = format.pattern.match(text);
        if (!match.hasMatch())
            continue;
        auto pattern = translated(format.english);
        if (!pattern)
            return text;
        std::map<QChar, QString> arguments;
        for (std::size_t i = 0; i < format.numbers.size(); ++i)
            arguments[QChar('0' + format.numbers[i])] = shownArgument(match.captured(int(i) + 1));
        // In one pass, so that an argument holding "%2" stays as it is.
        QString filled;
        for (qsizetype i = 0; i < pattern->size(); ++i) {
            auto argument = i + 1 < pattern->size() && pattern->at(i) == '%'
                                ? arguments.find(pattern->at(i + 1))
                                : arguments.end();
            if (argument == arguments.end()) {
                filled += pattern->at(i);
            } else {
                filled += argument->second;
                ++i;
            }
        }
        return filled;
    }
    return text;
}

}  // namespace qttexts
