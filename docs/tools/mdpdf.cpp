// Lays out the user manual's Markdown text with Qt's own Markdown reader and writes it as a PDF
// (the build runs it to make OrvoManual.pdf beside the program). Pictures are found relative to
// the Markdown file and shrunk to the text width; "@VERSION@" in the text becomes the version.
//
//   orvo_mdpdf IN.md OUT.pdf [--version TEXT] [--title TEXT]
#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>
#include <QTextTable>
#include <QTextTableFormat>
#include <QUrl>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Widest picture in layout units (screen pixels at 96 per inch): 5.2 in of the 6.3 in of text
// width on A4, so a window picture and its caption share a page.
constexpr double MaxImageWidth = 500.0;

int fail(const QString& text) {
    std::fprintf(stderr, "orvo_mdpdf: %s\n", qPrintable(text));
    return 1;
}

// Pictures keep their aspect ratio and never run past the text width.
bool fitImages(QTextDocument& doc, const QDir& base, QString* missing) {
    struct Picture {
        int position;
        int length;
        QTextImageFormat format;
    };
    std::vector<Picture> pictures;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isImageFormat())
                pictures.push_back({it.fragment().position(), it.fragment().length(),
                                    it.fragment().charFormat().toImageFormat()});
    for (Picture& p : pictures) {
        const QString path = base.filePath(QUrl(p.format.name()).path());
        const QImage picture(path);
        if (picture.isNull()) {
            *missing = path;
            return false;
        }
        const double scale = std::min(1.0, MaxImageWidth / picture.width());
        p.format.setWidth(picture.width() * scale);
        p.format.setHeight(picture.height() * scale);
        p.format.setName(QUrl::fromLocalFile(path).toString());
        doc.addResource(QTextDocument::ImageResource, QUrl(p.format.name()), picture);
        QTextCursor cursor(&doc);
        cursor.setPosition(p.position);
        cursor.setPosition(p.position + p.length, QTextCursor::KeepAnchor);
        cursor.setCharFormat(p.format);
    }
    return true;
}

// Tables get thin borders, some room in their cells and a header row that repeats on the next
// page, as a printed manual has them.
void styleTables(QTextDocument& doc) {
    for (QTextFrame* frame : doc.rootFrame()->childFrames()) {
        auto* table = qobject_cast<QTextTable*>(frame);
        if (!table) continue;
        QTextTableFormat format = table->format();
        format.setBorder(0.5);
        format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
        format.setCellSpacing(0);
        format.setBorderBrush(QColor(0x90, 0x90, 0x90));
        format.setCellPadding(3);
        format.setHeaderRowCount(1); // a table running onto the next page repeats its header
        table->setFormat(format);
    }
}

// Chapters and sections get air above them, as a printed page needs.
void spaceHeadings(QTextDocument& doc) {
    QTextCursor cursor(&doc);
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        const int level = block.blockFormat().headingLevel();
        if (level == 0) continue;
        QTextBlockFormat format = block.blockFormat();
        format.setTopMargin(level <= 2 ? 16 : 10);
        format.setBottomMargin(4);
        cursor.setPosition(block.position());
        cursor.setBlockFormat(format);
    }
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    QString version;
    QString title = QStringLiteral("Orvo User Manual");
    QStringList files;
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--version") && i + 1 < args.size())
            version = args[++i];
        else if (args[i] == QLatin1String("--title") && i + 1 < args.size())
            title = args[++i];
        else
            files << args[i];
    }
    if (files.size() != 2) return fail(QStringLiteral("usage: orvo_mdpdf IN.md OUT.pdf [--version TEXT]"));

    QFile in(files[0]);
    if (!in.open(QIODevice::ReadOnly)) return fail(QStringLiteral("cannot read %1").arg(files[0]));
    QString text = QString::fromUtf8(in.readAll());
    text.replace(QStringLiteral("@VERSION@"), version);

    QTextDocument doc;
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(10);
    doc.setDefaultFont(font);
    doc.setMarkdown(text, QTextDocument::MarkdownDialectGitHub);
    doc.setMetaInformation(QTextDocument::DocumentTitle, title);
    QString missing;
    if (!fitImages(doc, QFileInfo(files[0]).absoluteDir(), &missing))
        return fail(QStringLiteral("picture %1 not found").arg(missing));
    styleTables(doc);
    spaceHeadings(doc);

    // Written beside the target and renamed at the end, so a failed run never leaves half a PDF.
    QSaveFile out(files[1]);
    if (!out.open(QIODevice::WriteOnly)) return fail(QStringLiteral("cannot write %1").arg(files[1]));
    {
        QPdfWriter pdf(&out);
        pdf.setTitle(title);
        pdf.setCreator(QStringLiteral("Orvo %1").arg(version));
        pdf.setPageLayout(
            QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        pdf.setResolution(300);
        // The document is laid out page by page with 2 cm margins and page numbers.
        doc.print(&pdf);
    }
    if (!out.commit()) return fail(QStringLiteral("cannot write %1").arg(files[1]));
    return 0;
}
