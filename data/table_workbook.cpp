#include "table_workbook.h"

#include "spreadsheet.h"

#include <QFile>
#include <QLocale>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string_view>
#include <zip.h>
#include <zlib.h>

namespace qm {

namespace {

constexpr int kHeaderRow = 4;
// A sheet's size in spreadsheet programs.
constexpr int kMaxColumns = 16384;
constexpr size_t kMaxRows = 1048576;
// The longest text a spreadsheet cell takes; longer texts are cut there.
constexpr qsizetype kMaxCellText = 32767;
// The rows' XML is deflated in batches of about half a megabyte, on up to four threads at once.
constexpr size_t kCellsPerBatch = 16384;
constexpr size_t kDeflateThreads = 4;
// Room enough for a row's tags and for one cell: "<c r="XFD1048576" s="1" t="s"><v>" and a number.
constexpr size_t kRowBytes = 32;
constexpr size_t kCellBytes = 80;

// What a workbook program expects besides the sheet: one bordered style, a shared text table.
constexpr char kContentTypes[] =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    "\n"
    R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
    R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
    R"(<Default Extension="xml" ContentType="application/xml"/>)"
    R"(<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>)"
    R"(<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>)"
    R"(<Override PartName="/xl/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"/>)"
    R"(<Override PartName="/xl/sharedStrings.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/>)"
    R"(</Types>)";

constexpr char kPackageRelations[] =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    "\n"
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/>)"
    R"(</Relationships>)";

constexpr char kWorkbook[] =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    "\n"
    R"(<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)"
    R"(<fileVersion appName="xl" lastEdited="4" lowestEdited="4" rupBuild="4505"/><workbookPr/>)"
    R"(<bookViews><workbookView xWindow="240" yWindow="15" windowWidth="16095" windowHeight="9660"/></bookViews>)"
    R"(<sheets><sheet name="Sheet1" sheetId="1" r:id="rId1"/></sheets><calcPr calcId="124519" fullCalcOnLoad="1"/>)"
    R"(</workbook>)";

constexpr char kWorkbookRelations[] =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    "\n"
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>)"
    R"(<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/>)"
    R"(<Relationship Id="rId3" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="sharedStrings.xml"/>)"
    R"(</Relationships>)";

// Style 1 is the thin border on all four sides.
constexpr char kStyles[] =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    "\n"
    R"(<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
    R"(<fonts count="1"><font><sz val="11"/><name val="Calibri"/><family val="2"/></font></fonts>)"
    R"(<fills count="2"><fill><patternFill patternType="none"/></fill><fill><patternFill patternType="gray125"/></fill></fills>)"
    R"(<borders count="2"><border><left/><right/><top/><bottom/><diagonal/></border>)"
    R"(<border><left style="thin"><color auto="1"/></left><right style="thin"><color auto="1"/></right>)"
    R"(<top style="thin"><color auto="1"/></top><bottom style="thin"><color auto="1"/></bottom><diagonal/></border></borders>)"
    R"(<cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellStyleXfs>)"
    R"(<cellXfs count="2"><xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/>)"
    R"(<xf numFmtId="0" fontId="0" fillId="0" borderId="1" xfId="0" applyBorder="1"/></cellXfs>)"
    R"(<cellStyles count="1"><cellStyle name="Normal" xfId="0" builtinId="0"/></cellStyles>)"
    R"(<dxfs count="0"/><tableStyles count="0" defaultTableStyle="TableStyleMedium9" defaultPivotStyle="PivotStyleLight16"/>)"
    R"(</styleSheet>)";

// The shortest text that reads back as the same double, laid out as printf's %.16G lays it
// out: 100000 stays "100000", 1e20 is "1E+20".
char* writeNumber(char* out, double value)
{
    char scientific[40];
    const char* const end = std::to_chars(scientific, scientific + sizeof scientific, value, std::chars_format::scientific).ptr;
    const char* p = scientific;
    if (*p == '-')
        *out++ = *p++;
    char digits[24];
    int count = 0;
    for (; *p != 'e'; ++p)
        if (*p != '.')
            digits[count++] = *p;
    ++p;
    const bool negativeExponent = *p++ == '-';
    int exponent = 0;
    std::from_chars(p, end, exponent);
    if (negativeExponent)
        exponent = -exponent;

    if (exponent < -4 || exponent >= 16) {
        *out++ = digits[0];
        if (count > 1) {
            *out++ = '.';
            out = std::copy(digits + 1, digits + count, out);
        }
        *out++ = 'E';
        *out++ = exponent < 0 ? '-' : '+';
        const int magnitude = std::abs(exponent);
        if (magnitude < 10)
            *out++ = '0';
        return std::to_chars(out, out + 4, magnitude).ptr;
    }
    if (exponent < 0) {
        *out++ = '0';
        *out++ = '.';
        out = std::fill_n(out, -exponent - 1, '0');
        return std::copy(digits, digits + count, out);
    }
    for (int i = 0; i <= exponent; ++i)
        *out++ = i < count ? digits[i] : '0';
    if (count > exponent + 1) {
        *out++ = '.';
        out = std::copy(digits + exponent + 1, digits + count, out);
    }
    return out;
}

// The width of the value as the program shows it, QString::number's shortest 'g' form: the
// written text when that is the shorter of fixed and scientific notation, as it is for most.
int displayWidth(double value)
{
    char text[40];
    const char* const end = writeNumber(text, value);
    const std::string_view written(text, size_t(end - text));
    const std::string_view digits = written.substr(written.front() == '-' ? 1 : 0);
    const bool padded = written.find('.') == std::string_view::npos && written.back() == '0';
    if (padded || digits.starts_with("0.00") || written.find('E') != std::string_view::npos)
        return int(QString::number(value, 'g', QLocale::FloatingPointShortest).size());
    return int(written.size());
}

bool isHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

void appendCodeUnit(QByteArray& out, unsigned unit)
{
    char escape[8];
    std::snprintf(escape, sizeof escape, "_x%04X_", unit);
    out.append(escape, 7);
}

// The text as XML element content. Characters XML cannot hold are written as spreadsheets
// read them back, _xHHHH_, and an underscore that would read as such an escape is escaped too.
void appendXmlText(QByteArray& out, const QByteArray& utf8)
{
    const char* const text = utf8.constData();
    const qsizetype size = utf8.size();
    for (qsizetype i = 0; i < size; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '&')
            out.append("&amp;");
        else if (c == '<')
            out.append("&lt;");
        else if (c == '>')
            out.append("&gt;");
        else if (c < 0x20 && c != '\t' && c != '\n')
            appendCodeUnit(out, c);
        else if (c == '_' && i + 6 < size && text[i + 1] == 'x' && isHex(text[i + 2]) && isHex(text[i + 3])
                 && isHex(text[i + 4]) && isHex(text[i + 5]) && text[i + 6] == '_')
            appendCodeUnit(out, c);
        else if (c == 0xEF && i + 2 < size && static_cast<unsigned char>(text[i + 1]) == 0xBF
                 && (static_cast<unsigned char>(text[i + 2]) == 0xBE || static_cast<unsigned char>(text[i + 2]) == 0xBF)) {
            appendCodeUnit(out, static_cast<unsigned char>(text[i + 2]) == 0xBE ? 0xFFFE : 0xFFFF);
            i += 2;
        } else
            out.append(char(c));
    }
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f';
}

QByteArray columnLetters(int column)
{
    QByteArray letters;
    for (int rest = column + 1; rest > 0; rest = (rest - 1) / 26)
        letters.prepend(char('A' + (rest - 1) % 26));
    return letters;
}

// The width as spreadsheet programs store it: whole pixels of a 7-pixel digit plus 5 of padding.
double storedColumnWidth(int width)
{
    const int pixels = int(width * 7 + 0.5) + 5;
    return double(int(pixels / 7.0 * 256.0)) / 256.0;
}

void throwZipError(int result)
{
    lxw_error error = LXW_ERROR_ZIP_FILE_OPERATION;
    if (result == ZIP_PARAMERROR)
        error = LXW_ERROR_ZIP_PARAMETER_ERROR;
    else if (result == ZIP_BADZIPFILE)
        error = LXW_ERROR_ZIP_BAD_ZIP_FILE;
    else if (result == ZIP_INTERNALERROR)
        error = LXW_ERROR_ZIP_INTERNAL_ERROR;
    checkSpreadsheet(error);
}

class ZipPackage {
public:
    explicit ZipPackage(const QString& path) : m_zip(zipOpen64(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE))
    {
        if (!m_zip)
            checkSpreadsheet(LXW_ERROR_CREATING_XLSX_FILE);
    }
    ~ZipPackage()
    {
        if (m_zip)
            zipClose(m_zip, nullptr);
    }
    ZipPackage(const ZipPackage&) = delete;
    ZipPackage& operator=(const ZipPackage&) = delete;

    // A raw entry is written already deflated, its pieces joined, and closed by endRaw(); a
    // large one may pass 4 GB and needs the 64-bit sizes.
    void begin(const char* name, bool raw = false, bool large = false)
    {
        zip_fileinfo info{};
        info.tmz_date.tm_mday = 1;
        info.tmz_date.tm_year = 1980;
        check(zipOpenNewFileInZip2_64(m_zip, name, &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, Z_BEST_SPEED, raw ? 1 : 0, large ? 1 : 0));
    }
    void write(const char* data, size_t size)
    {
        if (size > 0)
            check(zipWriteInFileInZip(m_zip, data, unsigned(size)));
    }
    void end() { check(zipCloseFileInZip(m_zip)); }
    void endRaw(size_t size, uLong crc) { check(zipCloseFileInZipRaw64(m_zip, size, crc)); }
    void add(const char* name, const char* data, size_t size)
    {
        begin(name);
        write(data, size);
        end();
    }
    void close()
    {
        const int result = zipClose(m_zip, nullptr);
        m_zip = nullptr;
        if (result != ZIP_OK)
            checkSpreadsheet(LXW_ERROR_ZIP_CLOSE);
    }

private:
    static void check(int result)
    {
        if (result != ZIP_OK)
            throwZipError(result);
    }

    zipFile m_zip;
};

DeflatedPiece deflatePiece(const char* text, size_t size, bool last)
{
    DeflatedPiece piece;
    piece.size = size;
    piece.crc = crc32(0, reinterpret_cast<const Bytef*>(text), uInt(size));
    z_stream stream{};
    if (deflateInit2(&stream, Z_BEST_SPEED, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        checkSpreadsheet(LXW_ERROR_MEMORY_MALLOC_FAILED);
    piece.data.resize(qsizetype(deflateBound(&stream, uLong(size)) + 16));
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text));
    stream.avail_in = uInt(size);
    stream.next_out = reinterpret_cast<Bytef*>(piece.data.data());
    stream.avail_out = uInt(piece.data.size());
    const int result = deflate(&stream, last ? Z_FINISH : Z_SYNC_FLUSH);
    const bool complete = last ? result == Z_STREAM_END : result == Z_OK && stream.avail_in == 0 && stream.avail_out > 0;
    piece.data.resize(qsizetype(stream.total_out));
    piece.data.squeeze();  // pieces may wait for the writer: keep only what they hold
    deflateEnd(&stream);
    if (!complete)
        checkSpreadsheet(LXW_ERROR_ZIP_INTERNAL_ERROR);
    return piece;
}

template <size_t N>
char* put(char* out, const char (&literal)[N])
{
    return std::copy(literal, literal + N - 1, out);
}

char* put(char* out, const QByteArray& bytes)
{
    return std::copy(bytes.constData(), bytes.constData() + bytes.size(), out);
}

// The XML of the rows whose cells are `cells`, the first of them sheet row `firstRow`.
char* writeRows(char* out, const std::vector<quint32>& cells, const std::vector<double>& numbers,
                const std::vector<QByteArray>& columnLetters, size_t firstRow)
{
    const size_t columns = columnLetters.size();
    for (size_t first = 0, row = firstRow; first < cells.size(); first += columns, ++row) {
        char rowNumber[24];
        const char* const rowNumberEnd = std::to_chars(rowNumber, rowNumber + sizeof rowNumber, row).ptr;
        out = put(out, "<row r=\"");
        out = std::copy(static_cast<const char*>(rowNumber), rowNumberEnd, out);
        out = put(out, "\">");
        for (size_t cell = first; cell < std::min(cells.size(), first + columns); ++cell) {
            out = put(out, "<c r=\"");
            out = put(out, columnLetters[cell - first]);
            out = std::copy(static_cast<const char*>(rowNumber), rowNumberEnd, out);
            const quint32 code = cells[cell];
            if (code == 0) {
                out = put(out, "\" s=\"1\"/>");
            } else if (code & 1) {
                out = put(out, "\" s=\"1\" t=\"s\"><v>");
                out = std::to_chars(out, out + 16, code >> 1).ptr;
                out = put(out, "</v></c>");
            } else {
                out = put(out, "\" s=\"1\"><v>");
                out = writeNumber(out, numbers[code / 2 - 1]);
                out = put(out, "</v></c>");
            }
        }
        out = put(out, "</row>");
    }
    return out;
}

}  // namespace

TableWorkbook::TableWorkbook(const QStringList& columnNames)
    : m_columnCount(int(columnNames.size())), m_widths(columnNames.size(), 0), m_lastTexts(columnNames.size())
{
    for (int column = 0; column < m_columnCount; ++column)
        m_columnLetters.push_back(columnLetters(column));
    for (const QString& name : columnNames)
        addText(name);
}

void TableWorkbook::addCell(quint32 code, int width)
{
    m_batchCells.push_back(code);
    m_widths[size_t(m_column)] = std::max(m_widths[size_t(m_column)], width);
    if (++m_column < m_columnCount)
        return;
    m_column = 0;
    ++m_rows;
    if (m_batchCells.size() >= kCellsPerBatch)
        deflateBatch();
}

void TableWorkbook::deflateBatch()
{
    if (m_batchCells.empty())
        return;
    // Batches come faster than they deflate when the rows are mostly numbers: a few at a time.
    for (; m_deflated.size() - m_firstRunning >= kDeflateThreads; ++m_firstRunning)
        m_deflated[m_firstRunning].wait();
    m_deflated.push_back(std::async(std::launch::async, [cells = std::move(m_batchCells), numbers = std::move(m_batchNumbers),
                                                         letters = m_columnLetters, firstRow = kHeaderRow + m_batchFirstRow] {
        const size_t rows = (cells.size() + letters.size() - 1) / letters.size();
        const auto xml = std::make_unique_for_overwrite<char[]>(rows * kRowBytes + cells.size() * kCellBytes);
        const char* const end = writeRows(xml.get(), cells, numbers, letters, firstRow);
        return deflatePiece(xml.get(), size_t(end - xml.get()), false);
    }));
    m_batchFirstRow = m_rows;
    m_batchCells = {};
    m_batchNumbers = {};
    m_batchCells.reserve(kCellsPerBatch + size_t(m_columnCount));
}

void TableWorkbook::addBlank()
{
    addCell(0, 0);
}

void TableWorkbook::addText(const QString& text)
{
    if (text.isEmpty()) {
        addBlank();
        return;
    }
    // A column often repeats the text of the row above: a date, a voucher's summary.
    LastText& last = m_lastTexts[size_t(m_column)];
    if (text != last.text) {
        last.text = text;
        last.shared = sharedText(text);
    }
    ++m_textCells;
    addCell(last.shared.index * 2 + 1, last.shared.width);
}

TableWorkbook::SharedText TableWorkbook::sharedText(const QString& text)
{
    auto found = m_textIndex.constFind(text);
    if (found != m_textIndex.constEnd())
        return *found;
    QString kept = text;
    if (kept.size() > kMaxCellText)
        kept.truncate(kept.at(kMaxCellText - 1).isHighSurrogate() ? kMaxCellText - 1 : kMaxCellText);
    const bool preserve = isBlank(kept.front()) || isBlank(kept.back());
    m_sharedTexts.append(preserve ? "<si><t xml:space=\"preserve\">" : "<si><t>");
    appendXmlText(m_sharedTexts, kept.toUtf8());
    m_sharedTexts.append("</t></si>");
    const SharedText shared{quint32(m_textIndex.size()), spreadsheetTextWidth(kept)};
    m_textIndex.insert(text, shared);
    return shared;
}

void TableWorkbook::addInteger(qint64 value)
{
    m_batchNumbers.push_back(double(value));
    char digits[24];
    addCell(quint32(m_batchNumbers.size()) * 2, int(std::to_chars(digits, digits + sizeof digits, value).ptr - digits));
}

void TableWorkbook::addReal(double value)
{
    if (!std::isfinite(value)) {
        addText(QString::number(value));
        return;
    }
    m_batchNumbers.push_back(value);
    addCell(quint32(m_batchNumbers.size()) * 2, displayWidth(value));
}

size_t TableWorkbook::rowCount() const
{
    return m_rows + (m_column > 0 ? 1 : 0);
}

QByteArray TableWorkbook::sheetStart() const
{
    QByteArray start = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
                       "\n"
                       R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)";
    if (m_columnCount == 0)
        return start + R"(<dimension ref="A1"/><sheetViews><sheetView tabSelected="1" workbookViewId="0"/></sheetViews><sheetFormatPr defaultRowHeight="15"/><sheetData>)";
    start += "<dimension ref=\"A" + QByteArray::number(kHeaderRow) + ':' + m_columnLetters.back()
             + QByteArray::number(qulonglong(kHeaderRow + rowCount() - 1)) + "\"/>";
    start += R"(<sheetViews><sheetView tabSelected="1" workbookViewId="0"/></sheetViews><sheetFormatPr defaultRowHeight="15"/><cols>)";
    char width[40];
    for (int column = 0; column < m_columnCount; ++column) {
        const QByteArray number = QByteArray::number(column + 1);
        start += "<col min=\"" + number + "\" max=\"" + number + "\" width=\"";
        start.append(width, writeNumber(width, storedColumnWidth(m_widths[size_t(column)] + 2)) - width);
        start += "\" customWidth=\"1\"/>";
    }
    return start + "</cols><sheetData>";
}

void TableWorkbook::save(const QString& path)
{
    deflateBatch();
    if (m_columnCount > kMaxColumns || kHeaderRow - 1 + rowCount() > kMaxRows)
        checkSpreadsheet(LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE);
    ZipPackage zip(path);
    zip.add("[Content_Types].xml", kContentTypes, sizeof kContentTypes - 1);
    zip.add("_rels/.rels", kPackageRelations, sizeof kPackageRelations - 1);
    zip.add("xl/workbook.xml", kWorkbook, sizeof kWorkbook - 1);
    zip.add("xl/_rels/workbook.xml.rels", kWorkbookRelations, sizeof kWorkbookRelations - 1);
    zip.add("xl/styles.xml", kStyles, sizeof kStyles - 1);

    zip.begin("xl/sharedStrings.xml");
    const QByteArray tableStart = QByteArray(R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
                                             "\n"
                                             R"(<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" count=")")
                                  + QByteArray::number(m_textCells) + R"(" uniqueCount=")"
                                  + QByteArray::number(m_textIndex.size()) + R"(">)";
    zip.write(tableStart.constData(), size_t(tableStart.size()));
    zip.write(m_sharedTexts.constData(), size_t(m_sharedTexts.size()));
    zip.write("</sst>", 6);
    zip.end();

    // The sheet: its start, now that the widths are known, then the rows deflated meanwhile.
    zip.begin("xl/worksheets/sheet1.xml", true, rowCount() * (kRowBytes + size_t(m_columnCount) * kCellBytes) > 0xFFFFFFFFu);
    const QByteArray start = sheetStart();
    DeflatedPiece piece = deflatePiece(start.constData(), size_t(start.size()), false);
    uLong crc = piece.crc;
    size_t size = piece.size;
    zip.write(piece.data.constData(), size_t(piece.data.size()));
    for (auto& rows : m_deflated) {
        piece = rows.get();
        zip.write(piece.data.constData(), size_t(piece.data.size()));
        crc = crc32_combine(crc, piece.crc, z_off_t(piece.size));
        size += piece.size;
    }
    m_deflated.clear();
    static constexpr char kEnd[] =
        R"(</sheetData><pageMargins left="0.7" right="0.7" top="0.75" bottom="0.75" header="0.3" footer="0.3"/></worksheet>)";
    piece = deflatePiece(kEnd, sizeof kEnd - 1, true);
    zip.write(piece.data.constData(), size_t(piece.data.size()));
    zip.endRaw(size + piece.size, crc32_combine(crc, piece.crc, z_off_t(piece.size)));
    zip.close();
}

}  // namespace qm
