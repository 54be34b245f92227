#pragma once

// A voucher laid out for printing: its lines in 分录始表, six to a page, padded with empty lines
// to whole pages, each line carrying its page number in 月.

#include "data/message.h"
#include "data/money.h"
#include "data/record_set.h"

#include <QString>
#include <optional>

namespace qm {

constexpr int kVoucherLinesPerPage = 6;

struct VoucherPrint {
    RecordSet lines;  // 月 (page), 制单, 审核, 顺序, 附件, 日期, 字号, 号码, 摘要说明, 全称, 数量, 借方金额, 贷方金额
    Money debitTotal;
    Money creditTotal;
    int pages = 0;
};

std::optional<Message> checkVoucherPrintRequest(const QString& month, const QString& number);
VoucherPrint buildVoucherPrint(int year, const QString& month, const QString& number);

// The last voucher number of the month, 1 when the month has none.
int lastVoucherNumberOrOne(int year, int month);

}  // namespace qm
