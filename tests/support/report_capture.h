#pragma once

// Takes the place of the printer and the preview window: keeps the last report asked for, and
// says a printer is installed unless `printer` is false.

#include "data/printer.h"
#include "data/record_set.h"
#include "report/report.h"
#include "support/pdf_text.h"

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

    // The last report printed to a PDF file at `path`, one text per page.
    QStringList printedPages(const QString& path) const
    {
        writeReportPdf(path, layout, rows);
        return pdfPageTexts(path);
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
