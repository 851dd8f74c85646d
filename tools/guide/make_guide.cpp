// Renders the user guide from Markdown into a PDF: make_guide <guide.md> <out.pdf>
// The text is laid out by QTextDocument and printed page by page through QPdfWriter on A4,
// with the page number under each page. The PDF is written under a temporary name and renamed,
// so a failed run never leaves half a guide in the program folder.
#include <cstdio>

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextStream>

namespace {

int Fail(const QString& text) {
    std::fprintf(stderr, "make_guide: %s\n", qPrintable(text));
    return 1;
}

// Headings in a serif face, a little larger than Qt's defaults and with room above them.
void StyleHeadings(QTextDocument& document) {
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const int level = block.blockFormat().headingLevel();
        if (level == 0) {
            continue;
        }
        QTextCursor cursor(block);
        QTextBlockFormat format = block.blockFormat();
        format.setTopMargin(level == 1 ? 0 : 14);
        format.setBottomMargin(6);
        cursor.setBlockFormat(format);
        cursor.select(QTextCursor::BlockUnderCursor);
        QTextCharFormat chars;
        chars.setFontFamilies({QStringLiteral("DejaVu Serif")});
        chars.setFontPointSize(level == 1 ? 20 : level == 2 ? 15 : 12);
        chars.setFontWeight(QFont::Bold);
        chars.setForeground(QColor(0x1c, 0x33, 0x4d));
        cursor.mergeCharFormat(chars);
    }
}

}  // namespace

int main(int argc, char** argv) {
    // The build runs without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        return Fail(QStringLiteral("usage: make_guide <guide.md> <out.pdf>"));
    }
    const QString source = QString::fromLocal8Bit(argv[1]);
    const QString target = QString::fromLocal8Bit(argv[2]);

    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        return Fail(QStringLiteral("cannot read %1: %2").arg(source, in.errorString()));
    }
    const QString markdown = QString::fromUtf8(in.readAll());
    if (markdown.trimmed().isEmpty()) {
        return Fail(QStringLiteral("%1 is empty").arg(source));
    }

    const QString temporary = target + QStringLiteral(".part");
    QFile::remove(temporary);
    {
        QPdfWriter writer(temporary);
        writer.setTitle(QStringLiteral("Seewolf User Guide"));
        writer.setCreator(QStringLiteral("Seewolf"));
        writer.setResolution(300);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(20, 18, 20, 22), QPageLayout::Millimeter));

        QPainter painter;
        if (!painter.begin(&writer)) {
            return Fail(QStringLiteral("cannot write %1").arg(temporary));
        }
        const QRect page = writer.pageLayout().paintRectPixels(writer.resolution());
        const QRectF body(0, 0, page.width(), page.height() * 0.94);

        QTextDocument document;
        QFont base(QStringLiteral("DejaVu Sans"));
        base.setPointSizeF(10.5);
        document.setDefaultFont(base);
        document.setDocumentMargin(0);
        document.setMarkdown(markdown, QTextDocument::MarkdownDialectGitHub);
        StyleHeadings(document);
        // Lay the text out at the printer's resolution: one point is resolution/72 pixels.
        document.documentLayout()->setPaintDevice(&writer);
        document.setPageSize(body.size());

        const int pages = document.pageCount();
        QFont footer(base);
        footer.setPointSizeF(9);
        for (int index = 0; index < pages; ++index) {
            if (index > 0) {
                writer.newPage();
            }
            painter.save();
            painter.translate(0, -index * body.height());
            QAbstractTextDocumentLayout::PaintContext context;
            context.clip = QRectF(0, index * body.height(), body.width(), body.height());
            painter.setClipRect(context.clip);
            document.documentLayout()->draw(&painter, context);
            painter.restore();
            painter.setFont(footer);
            painter.setPen(QColor(0x55, 0x55, 0x55));
            painter.drawText(QRectF(0, page.height() * 0.96, page.width(), page.height() * 0.04),
                             Qt::AlignHCenter | Qt::AlignBottom,
                             QStringLiteral("Seewolf User Guide - page %1 of %2").arg(index + 1).arg(pages));
        }
        if (!painter.end()) {
            return Fail(QStringLiteral("cannot finish %1").arg(temporary));
        }
    }
    if (QFileInfo(temporary).size() == 0) {
        return Fail(QStringLiteral("%1 came out empty").arg(temporary));
    }
    QFile::remove(target);
    if (!QFile::rename(temporary, target)) {
        return Fail(QStringLiteral("cannot rename %1 to %2").arg(temporary, target));
    }
    return 0;
}
