// Writes the pseudo-language's catalogue from a catalogue of the window's texts, at build time:
//   larkspire-pseudo-catalogue IN.ts OUT.ts
// Each text's translation is its English words marked, with accented vowels, and about two
// fifths longer: "[Störy Chàptérs ~~~]". Shown in the window, a text that lacks the marks was
// never found in a catalogue, and one cut off at its end shows where a longer language would
// be cut off too.
#include <QCoreApplication>
#include <QFile>
#include <QStringList>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <cmath>
#include <cstdio>

namespace {

QString pseudo(const QString& english) {
    static const QString plain = "aeiouAEIOU", accented = "àéîöüÀÉÎÖÜ";
    QString text = "[";
    for (qsizetype i = 0; i < english.size(); ++i) {
        // "%1" stays as it is: the argument goes there.
        bool placeholder = i > 0 && english[i - 1] == '%' && english[i].isDigit();
        qsizetype vowel = placeholder ? -1 : plain.indexOf(english[i]);
        text += vowel < 0 ? english[i] : accented[vowel];
    }
    // In words of a few letters, as a longer language would wrap.
    qsizetype extra = qsizetype(std::lround(double(english.size()) * 0.4)) - 2;
    QString padding;
    while (padding.size() < extra)
        padding += padding.size() % 8 == 0 && padding.size() + 1 < extra ? ' ' : '~';
    return text + padding + ']';
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s IN.ts OUT.ts\n", argv[0]);
        return 2;
    }
    QFile in(argv[1]);
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[1]);
        return 1;
    }
    QStringList ids;
    QXmlStreamReader reader(&in);
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement && reader.name() == u"message")
            ids += reader.attributes().value("id").toString();
    }
    if (reader.hasError() || ids.isEmpty()) {
        std::fprintf(stderr, "%s: %s holds no texts: %s\n", argv[0], argv[1],
                     qPrintable(reader.errorString()));
        return 1;
    }
    QFile out(argv[2]);
    if (!out.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
        return 1;
    }
    QXmlStreamWriter writer(&out);
    writer.setAutoFormatting(true);
    writer.writeStartDocument();
    writer.writeDTD("<!DOCTYPE TS>");
    writer.writeStartElement("TS");
    writer.writeAttribute("version", "2.1");
    writer.writeStartElement("context");
    writer.writeTextElement("name", "");
    for (const QString& id : ids) {
        writer.writeStartElement("message");
        writer.writeAttribute("id", id);
        writer.writeTextElement("source", "");
        writer.writeTextElement("translation", pseudo(id));
        writer.writeEndElement();
    }
    writer.writeEndDocument();
    return out.error() == QFile::NoError ? 0 : 1;
}
