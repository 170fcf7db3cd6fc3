// Writes the desktop entry or the AppStream metadata with its texts in every language of the
// compiled catalogues, at build time:
//   larkspire-desktop-texts CATALOGUES IN OUT LANGUAGE...
// A desktop entry's Name, GenericName, Comment and Keywords get a Key[language]= line each; the
// metadata's name, summary, paragraphs and screenshot captions, each on a line of its own, an
// element with xml:lang. A language whose catalogue lacks a text gets no
// line for it, so the desktop shows the English.
#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QTranslator>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

struct Catalogue {
    QString language;
    std::unique_ptr<QTranslator> translator;
    // The translation of `english`, or an empty text.
    QString operator()(const QString& english) const {
        QString text = translator->translate(nullptr, english.toUtf8().constData());
        return text == english ? QString() : text;
    }
};

QString escaped(const QString& text) {
    return text.toHtmlEscaped();
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s CATALOGUES IN OUT LANGUAGE...\n", argv[0]);
        return 2;
    }
    std::vector<Catalogue> catalogues;
    for (int i = 4; i < argc; ++i) {
        Catalogue catalogue{argv[i], std::make_unique<QTranslator>()};
        if (!catalogue.translator->load("larkspire_" + catalogue.language, argv[1])) {
            std::fprintf(stderr, "%s: no catalogue for %s in %s\n", argv[0], argv[i], argv[1]);
            return 1;
        }
        catalogues.push_back(std::move(catalogue));
    }
    QFile in(argv[2]);
    if (!in.open(QIODevice::ReadOnly | QIODevice::Text)) {
        std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[2]);
        return 1;
    }
    static const QRegularExpression entry("^(Name|GenericName|Comment|Keywords)=(.*)$"),
        element("^(\\s*)<(name|summary|p|caption)>(.*)</\\2>$");
    QString out;
    for (const QString& line : QString::fromUtf8(in.readAll()).split('\n')) {
        out += line + '\n';
        if (auto match = entry.match(line); match.hasMatch()) {
            for (const auto& catalogue : catalogues) {
                if (QString text = catalogue(match.captured(2)); !text.isEmpty())
                    out += match.captured(1) + '[' + catalogue.language + "]=" + text + '\n';
            }
        } else if (match = element.match(line); match.hasMatch()) {
            for (const auto& catalogue : catalogues) {
                if (QString text = catalogue(match.captured(3)); !text.isEmpty())
                    out += QString("%1<%2 xml:lang=\"%3\">%4</%2>\n")
                               .arg(match.captured(1), match.captured(2), catalogue.language,
                                    escaped(text));
            }
        }
    }
    out.chop(1);
    QFile written(argv[3]);
    if (!written.open(QIODevice::WriteOnly | QIODevice::Text) ||
        written.write(out.toUtf8()) != out.toUtf8().size()) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[3]);
        return 1;
    }
    return 0;
}
