#pragma once

// Takes the place of the printer and the preview window: keeps the last report asked for, and
// says a printer is installed unless `printer` is false.

#include "data/printer.h"
#include "report/report.h"

namespace qm::test {

class ReportCapture {
public:
    ReportCapture()
    {
        m_previousOutput = setReportOutputHandler([this](const ReportLayout& layout, const RecordSet& rows, bool preview) {
            this->layout = layout;
            this->rows = rows;
            this->preview = preview;
            ++calls;
        });
        m_previousPrinter = setPrinterCheck([this] { return printer; });
    }
    ~ReportCapture()
    {
        setReportOutputHandler(m_previousOutput);
        setPrinterCheck(m_previousPrinter);
    }

    ReportLayout layout;
    RecordSet rows;
    bool preview = false;
    int calls = 0;
    bool printer = true;

private:
    ReportOutputHandler m_previousOutput;
    std::function<bool()> m_previousPrinter;
};

}  // namespace qm::test
