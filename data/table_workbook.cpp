#include "table_workbook.h"

#include "spreadsheet.h"

#include <QFile>
#include <QLocale>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <zip.h>

namespace qm {

namespace {

constexpr int kHeaderRow = 4;
// The longest text a spreadsheet cell takes; longer texts are cut there.
constexpr qsizetype kMaxCellText = 32767;
constexpr size_t kChunk = size_t(1) << 20;

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

    void begin(const char* name)
    {
        zip_fileinfo info{};
        info.tmz_date.tm_mday = 1;
        info.tmz_date.tm_year = 1980;
        check(zipOpenNewFileInZip64(m_zip, name, &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, Z_BEST_SPEED, 0));
    }
    void write(const char* data, size_t size)
    {
        if (size > 0)
            check(zipWriteInFileInZip(m_zip, data, unsigned(size)));
    }
    void end() { check(zipCloseFileInZip(m_zip)); }
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

// The sheet's XML gathered a megabyte at a time before it goes to the zip.
class SheetWriter {
public:
    explicit SheetWriter(ZipPackage& zip) : m_zip(zip), m_buffer(kChunk + 4096) {}

    // Room for `size` more bytes, to be filled and then handed to commit().
    char* reserve(size_t size)
    {
        if (m_used + size > m_buffer.size())
            flush();
        if (size > m_buffer.size())
            m_buffer.resize(size);
        return m_buffer.data() + m_used;
    }
    void commit(const char* end)
    {
        m_used = size_t(end - m_buffer.data());
        if (m_used >= kChunk)
            flush();
    }
    void append(const char* data, size_t size)
    {
        char* out = reserve(size);
        commit(std::copy(data, data + size, out));
    }
    void append(const QByteArray& data) { append(data.constData(), size_t(data.size())); }
    void flush()
    {
        m_zip.write(m_buffer.data(), m_used);
        m_used = 0;
    }

private:
    ZipPackage& m_zip;
    std::vector<char> m_buffer;
    size_t m_used = 0;
};

template <size_t N>
char* put(char* out, const char (&literal)[N])
{
    return std::copy(literal, literal + N - 1, out);
}

char* put(char* out, const QByteArray& bytes)
{
    return std::copy(bytes.constData(), bytes.constData() + bytes.size(), out);
}

}  // namespace

TableWorkbook::TableWorkbook(const QStringList& columnNames)
    : m_columnCount(int(columnNames.size())), m_widths(columnNames.size(), 0)
{
    for (const QString& name : columnNames)
        addText(name);
}

void TableWorkbook::addCell(quint32 code, int width)
{
    m_cells.push_back(code);
    m_widths[m_column] = std::max(m_widths[m_column], width);
    if (++m_column == m_columnCount)
        m_column = 0;
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
    auto found = m_textIndex.constFind(text);
    if (found == m_textIndex.constEnd()) {
        QString kept = text;
        if (kept.size() > kMaxCellText)
            kept.truncate(kept.at(kMaxCellText - 1).isHighSurrogate() ? kMaxCellText - 1 : kMaxCellText);
        const bool preserve = isBlank(kept.front()) || isBlank(kept.back());
        m_sharedTexts.append(preserve ? "<si><t xml:space=\"preserve\">" : "<si><t>");
        appendXmlText(m_sharedTexts, kept.toUtf8());
        m_sharedTexts.append("</t></si>");
        found = m_textIndex.insert(text, {quint32(m_textIndex.size()), spreadsheetTextWidth(kept)});
    }
    ++m_textCells;
    addCell(found->index * 2 + 1, found->width);
}

void TableWorkbook::addInteger(qint64 value)
{
    m_numbers.push_back(double(value));
    char digits[24];
    addCell(quint32(m_numbers.size()) * 2, int(std::to_chars(digits, digits + sizeof digits, value).ptr - digits));
}

void TableWorkbook::addReal(double value)
{
    if (!std::isfinite(value)) {
        addText(QString::number(value));
        return;
    }
    m_numbers.push_back(value);
    addCell(quint32(m_numbers.size()) * 2, int(QString::number(value, 'g', QLocale::FloatingPointShortest).size()));
}

void TableWorkbook::save(const QString& path) const
{
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

    std::vector<QByteArray> letters;
    for (int column = 0; column < m_columnCount; ++column)
        letters.push_back(columnLetters(column));
    const size_t rowCount = m_columnCount == 0 ? 0 : (m_cells.size() + size_t(m_columnCount) - 1) / size_t(m_columnCount);

    zip.begin("xl/worksheets/sheet1.xml");
    SheetWriter sheet(zip);
    QByteArray start = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
                       "\n"
                       R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)";
    if (m_columnCount == 0)
        start += R"(<dimension ref="A1"/>)";
    else
        start += "<dimension ref=\"A" + QByteArray::number(kHeaderRow) + ':' + letters.back()
                 + QByteArray::number(qulonglong(kHeaderRow + rowCount - 1)) + "\"/>";
    start += R"(<sheetViews><sheetView tabSelected="1" workbookViewId="0"/></sheetViews><sheetFormatPr defaultRowHeight="15"/>)";
    if (m_columnCount > 0) {
        start += "<cols>";
        char width[40];
        for (int column = 0; column < m_columnCount; ++column) {
            const QByteArray number = QByteArray::number(column + 1);
            start += "<col min=\"" + number + "\" max=\"" + number + "\" width=\"";
            start.append(width, writeNumber(width, storedColumnWidth(m_widths[size_t(column)] + 2)) - width);
            start += "\" customWidth=\"1\"/>";
        }
        start += "</cols>";
    }
    start += "<sheetData>";
    sheet.append(start);

    size_t cell = 0;
    for (size_t row = 0; row < rowCount; ++row) {
        char rowNumber[24];
        const size_t rowDigits = size_t(std::to_chars(rowNumber, rowNumber + sizeof rowNumber, kHeaderRow + row).ptr - rowNumber);
        char* out = sheet.reserve(32);
        out = put(out, "<row r=\"");
        out = std::copy(rowNumber, rowNumber + rowDigits, out);
        out = put(out, "\">");
        sheet.commit(out);
        for (int column = 0; column < m_columnCount && cell < m_cells.size(); ++column, ++cell) {
            out = sheet.reserve(96);
            out = put(out, "<c r=\"");
            out = put(out, letters[size_t(column)]);
            out = std::copy(rowNumber, rowNumber + rowDigits, out);
            const quint32 code = m_cells[cell];
            if (code == 0) {
                out = put(out, "\" s=\"1\"/>");
            } else if (code & 1) {
                out = put(out, "\" s=\"1\" t=\"s\"><v>");
                out = std::to_chars(out, out + 16, code >> 1).ptr;
                out = put(out, "</v></c>");
            } else {
                out = put(out, "\" s=\"1\"><v>");
                out = writeNumber(out, m_numbers[code / 2 - 1]);
                out = put(out, "</v></c>");
            }
            sheet.commit(out);
        }
        sheet.append("</row>", 6);
    }
    static constexpr char kEnd[] =
        R"(</sheetData><pageMargins left="0.7" right="0.7" top="0.75" bottom="0.75" header="0.3" footer="0.3"/></worksheet>)";
    sheet.append(kEnd, sizeof kEnd - 1);
    sheet.flush();
    zip.end();
    zip.close();
}

}  // namespace qm
