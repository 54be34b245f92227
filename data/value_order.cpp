#include "value_order.h"

#include <QString>

#include <algorithm>

namespace qm {

namespace {

int kindRank(const RecordSet::Cell& cell)
{
    switch (cell.kind) {
    case RecordSet::Cell::Null: return 0;
    case RecordSet::Cell::Integer:
    case RecordSet::Cell::Real: return 1;
    case RecordSet::Cell::Text: return 2;
    case RecordSet::Cell::Other: return 3;
    }
    return 3;
}

// An integer against a real exactly, as the database compares them: beyond 2^53 an integer made
// a double may land on the real it is not.
int compareIntegerWithReal(qint64 integer, double real)
{
    if (real < -9223372036854775808.0)
        return 1;
    if (real >= 9223372036854775808.0)
        return -1;
    const qint64 whole = qint64(real);
    if (integer != whole)
        return integer < whole ? -1 : 1;
    const double asReal = double(integer);
    return asReal == real ? 0 : asReal < real ? -1 : 1;
}

}  // namespace

int compareText(const char* a, int aBytes, const char* b, int bBytes, bool noCase)
{
    const int common = std::min(aBytes, bBytes);
    for (int i = 0; i < common; ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (noCase) {
            x = x >= 'A' && x <= 'Z' ? x + 32 : x;
            y = y >= 'A' && y <= 'Z' ? y + 32 : y;
        }
        if (x != y)
            return x < y ? -1 : 1;
    }
    return aBytes == bBytes ? 0 : aBytes < bBytes ? -1 : 1;
}

int compareCells(const RecordSet::Cell& a, const RecordSet::Cell& b, bool noCase)
{
    const int rankA = kindRank(a);
    const int rankB = kindRank(b);
    if (rankA != rankB)
        return rankA < rankB ? -1 : 1;
    if (rankA == 1) {
        const bool integerA = a.kind == RecordSet::Cell::Integer;
        const bool integerB = b.kind == RecordSet::Cell::Integer;
        if (integerA && integerB)
            return a.integer == b.integer ? 0 : a.integer < b.integer ? -1 : 1;
        if (integerA)
            return compareIntegerWithReal(a.integer, b.real);
        if (integerB)
            return -compareIntegerWithReal(b.integer, a.real);
        return a.real == b.real ? 0 : a.real < b.real ? -1 : 1;
    }
    if (rankA == 2)
        return compareText(a.utf8, a.bytes, b.utf8, b.bytes, noCase);
    return 0;
}

QByteArray firstCharacters(const RecordSet::Cell& text, int count)
{
    int ascii = 0;
    while (ascii < count && ascii < text.bytes && static_cast<unsigned char>(text.utf8[ascii]) < 0x80)
        ++ascii;
    if (ascii == count || ascii == text.bytes)
        return QByteArray(text.utf8, ascii);
    return QString::fromUtf8(text.utf8, text.bytes).left(count).toUtf8();
}

QString codePrefixCondition(const QString& code, const QString& name)
{
    return QStringLiteral("+%1>=%2 AND +%1<%2_end AND substr(%1,1,length(%2))=%2").arg(code, name);
}

QVariantMap codePrefixValues(const QString& prefix, const QString& name)
{
    return {{name, prefix}, {name + QStringLiteral("_end"), prefix + QChar(0xFFFF)}};
}

void sortInLedgerOrder(std::vector<int>& rows, const RecordSet& set, int idField, int thenField, bool thenNoCase)
{
    const auto before = [&](int a, int b) {
        const int byId = compareCells(set.cell(a, idField), set.cell(b, idField), true);
        return byId != 0 ? byId < 0 : compareCells(set.cell(a, thenField), set.cell(b, thenField), thenNoCase) < 0;
    };
    // Lines are usually read in ledger order already.
    if (!std::is_sorted(rows.begin(), rows.end(), before))
        std::stable_sort(rows.begin(), rows.end(), before);
}

RecordSet::Cell textCell(const QByteArray& text)
{
    RecordSet::Cell cell;
    cell.kind = RecordSet::Cell::Text;
    cell.utf8 = text.constData();
    cell.bytes = int(text.size());
    return cell;
}

}  // namespace qm
