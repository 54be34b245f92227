#pragma once

// Reads back a PDF file that a report wrote, through poppler's command-line tools: the text of
// each page, and the page size.

#include <QProcess>
#include <QRectF>
#include <QRegularExpression>
#include <QStringList>
#include <QVector>

namespace qm::test {

inline QString popplerOutput(const QString& tool, const QStringList& arguments)
{
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// One text per page, each line laid out as printed.
inline QStringList pdfPageTexts(const QString& path)
{
    QStringList pages = popplerOutput(QStringLiteral("pdftotext"),
                                      {QStringLiteral("-layout"), QStringLiteral("-enc"), QStringLiteral("UTF-8"), path,
                                       QStringLiteral("-")})
                            .split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

// The lines of a page that hold `text`, blanks run together. The blanks between Chinese
// characters do not survive the reading, so `text` matches without its blanks.
inline QStringList pdfLinesWith(const QString& page, const QString& text)
{
    const QString wanted = QString(text).remove(QLatin1Char(' '));
    QStringList lines;
    for (const QString& line : page.split(QLatin1Char('\n'))) {
        if (QString(line).remove(QLatin1Char(' ')).contains(wanted))
            lines << line.simplified();
    }
    return lines;
}

// The first page's size as pdfinfo gives it, such as "595 x 842 pts (A4)".
inline QString pdfPageSize(const QString& path)
{
    for (const QString& line : popplerOutput(QStringLiteral("pdfinfo"), {path}).split(QLatin1Char('\n'))) {
        if (line.startsWith(QStringLiteral("Page size:")))
            return line.mid(10).trimmed();
    }
    return QString();
}

// A word as drawn on a page, its box in points from the page's top left corner.
struct PdfWord {
    QString text;
    QRectF box;
};

// The words of each page with their boxes, in the order they are read. A text cut off at the
// edge of its field is still whole in a PDF's text: only its box tells how far it runs.
inline QVector<QVector<PdfWord>> pdfPageWords(const QString& path)
{
    const QString html = popplerOutput(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), QStringLiteral("-enc"),
                                                                      QStringLiteral("UTF-8"), path, QStringLiteral("-")});
    static const QRegularExpression word(QStringLiteral(
        "<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"));
    QVector<QVector<PdfWord>> pages;
    for (const QString& page : html.split(QStringLiteral("<page ")).mid(1)) {
        QVector<PdfWord> words;
        for (const QRegularExpressionMatch& match : word.globalMatch(page)) {
            const QPointF topLeft(match.captured(1).toDouble(), match.captured(2).toDouble());
            const QPointF bottomRight(match.captured(3).toDouble(), match.captured(4).toDouble());
            words.append(PdfWord{match.captured(5), QRectF(topLeft, bottomRight)});
        }
        pages.append(words);
    }
    return pages;
}

}  // namespace qm::test
