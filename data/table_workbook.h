#pragma once

// A workbook of one sheet holding a plain table: the column names in row 4 from column A, the
// rows below them, thin borders on every cell, columns as wide as their content. Written as
// XML by hand and zipped at the fastest level, so that a month's journal exports in a moment;
// workbooks with merges, fonts or page set-up go through writeWorkbook instead.

#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

namespace qm {

class TableWorkbook {
public:
    explicit TableWorkbook(const QStringList& columnNames);

    // The cells of the rows, left to right: a new row begins after every column has its cell.
    void addBlank();
    void addText(const QString& text);
    void addInteger(qint64 value);
    void addReal(double value);

    // Writes the workbook over the file at `path`; throws SpreadsheetError.
    void save(const QString& path) const;

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
    size_t rowCount() const;
    QByteArray sheetStart() const;
    char* writeRows(char* out, size_t first, size_t end) const;

    int m_columnCount;
    int m_column = 0;
    std::vector<QByteArray> m_columnLetters;
    std::vector<int> m_widths;
    std::vector<LastText> m_lastTexts;  // by column
    // A cell a code: 0 blank, odd a shared text (index * 2 + 1), even a number ((index + 1) * 2).
    std::vector<quint32> m_cells;
    std::vector<double> m_numbers;
    QHash<QString, SharedText> m_textIndex;
    QByteArray m_sharedTexts;  // the <si> elements, in index order
    quint32 m_textCells = 0;
};

}  // namespace qm
