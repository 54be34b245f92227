#pragma once

// A workbook of one sheet holding a plain table: the column names in row 4 from column A, the
// rows below them, thin borders on every cell, columns as wide as their content. Written as
// XML by hand and zipped at the fastest level, so that a month's journal exports in a moment;
// workbooks with merges, fonts or page set-up go through writeWorkbook instead.

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <future>
#include <vector>

namespace qm {

// A piece of a zip entry deflated on its own: pieces end on a byte boundary (the last one
// closes the stream), so that pieces deflated side by side join into one entry.
struct DeflatedPiece {
    QByteArray data;
    unsigned long crc = 0;
    size_t size = 0;
};

class TableWorkbook {
public:
    explicit TableWorkbook(const QStringList& columnNames);

    // The cells of the rows, left to right: a new row begins after every column has its cell.
    void addBlank();
    void addText(const QString& text);
    void addInteger(qint64 value);
    void addReal(double value);

    // Writes the workbook over the file at `path`, once the last cell is in; throws
    // SpreadsheetError.
    void save(const QString& path);

private:
    struct SharedText {
        quint32 index;
        int width;
    };

    struct LastText {
        QString text;
        SharedText shared{};
    };

    SharedText sharedText(const QString& text);
    void addCell(quint32 code, int width);
    void deflateBatch();
    size_t rowCount() const;
    QByteArray sheetStart() const;

    int m_columnCount;
    int m_column = 0;
    std::vector<QByteArray> m_columnLetters;
    std::vector<int> m_widths;
    std::vector<LastText> m_lastTexts;  // by column
    QHash<QString, SharedText> m_textIndex;
    QByteArray m_sharedTexts;  // the <si> elements, in index order
    quint32 m_textCells = 0;
    size_t m_rows = 0;  // complete rows, the names' included
    // The rows since the last batch went to be deflated. A cell a code: 0 blank, odd a shared
    // text (index * 2 + 1), even a number of the batch ((index + 1) * 2).
    size_t m_batchFirstRow = 0;
    std::vector<quint32> m_batchCells;
    std::vector<double> m_batchNumbers;
    // The rows as XML, deflated on threads of their own while the next rows come in. Last, so
    // that the threads are waited for before anything else goes.
    std::vector<std::future<DeflatedPiece>> m_deflated;
    size_t m_firstRunning = 0;
};

}  // namespace qm
