#pragma once

// For headers that only name a record set (a reference, or a function's declared result): a
// change to record_set.h then rebuilds only the files that read rows.

namespace qm {
class RecordSet;
}  // namespace qm
