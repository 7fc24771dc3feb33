// The view's printing: the print commands, the preparation of a job and the drawing of
// its page on the printer, and the print preview.
#include "Doc.h"

#include "Gdi.h"

#include <QAction>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QToolBar>
#include <algorithm>

namespace {

// A printer that a job can go to without asking: a printer of the system, or a file.
bool CanPrintOn(const QPrinter& printer)
{
    return printer.outputFormat() == QPrinter::PdfFormat ? !printer.outputFileName().isEmpty()
                                                         : !printer.printerName().isEmpty();
}

void ReportPrintFailure()
{
    AfxMessageBox(QStringLiteral("Failed to start print job."), MB_OK, 0);
}

// The preview's modes of showing pages, and the number of pages side by side that the
// framework keeps for each: one, or two.
const char* const kSinglePageMode = "singleModeAction";
const char* const kFacingPagesMode = "facingModeAction";

} // namespace

BOOL CView::OnPreparePrinting(CPrintInfo* info)
{
    (void)info;
    return FALSE;
}

BOOL CView::DoPreparePrinting(CPrintInfo* info)
{
    CWinApp* app = AfxGetApp();
    if (!app)
        return FALSE;
    const CCommandLineInfo* command = app->m_pCmdInfo;
    if (info->m_bDirect && command && command->m_nShellCommand == CCommandLineInfo::FilePrintTo) {
        // The printer named on the command line, for this job alone.
        const QPrinterInfo named = QPrinterInfo::printerInfo(command->m_strPrinterName);
        if (named.isNull()) {
            ReportPrintFailure();
            return FALSE;
        }
        info->m_ownPrinter = std::make_unique<QPrinter>(named, QPrinter::HighResolution);
        info->m_pPrinter = info->m_ownPrinter.get();
        return TRUE;
    }
    info->m_pPrinter = app->GetPrinter();
    if (info->m_bPreview || (info->m_bDirect && CanPrintOn(*info->m_pPrinter)))
        return TRUE;
    return app->DoPrintDialog(info->m_pPrinter, FALSE) == IDOK;
}

BOOL CView::OnFilePrint(BOOL direct)
{
    CPrintInfo info;
    info.m_bDirect = direct;
    if (!OnPreparePrinting(&info))
        return FALSE;
    ASSERT(info.m_pPrinter != nullptr);
    if (!info.m_pPrinter)
        return FALSE;
    if (m_pDocument)
        info.m_pPrinter->setDocName(m_pDocument->GetTitle());
    if (!PrintPage(info.m_pPrinter)) {
        ReportPrintFailure();
        return FALSE;
    }
    return TRUE;
}

void CView::OnFilePrintPreview()
{
    CPrintInfo info;
    info.m_bPreview = TRUE;
    if (!OnPreparePrinting(&info) || !info.m_pPrinter)
        return;
    if (m_pDocument)
        info.m_pPrinter->setDocName(m_pDocument->GetTitle());
    // The preview takes the main window's place, as large as it is.
    QWidget* owner = AfxGetSafeOwner();
    QPrintPreviewDialog dialog(info.m_pPrinter, owner);
    if (owner)
        dialog.resize(owner->size().expandedTo(QSize(640, 480)));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [this](QPrinter* printer) { PrintPage(printer); });
    CWinApp* app = AfxGetApp();
    auto* single = dialog.findChild<QAction*>(QString::fromLatin1(kSinglePageMode));
    auto* facing = dialog.findChild<QAction*>(QString::fromLatin1(kFacingPagesMode));
    if (app && app->m_nNumPreviewPages == 2 && facing)
        facing->trigger();
    // The preview's bar ends with Close, which leaves the preview.
    if (auto* bar = dialog.findChild<QToolBar*>()) {
        bar->addSeparator();
        QObject::connect(bar->addAction(QStringLiteral("&Close")), &QAction::triggered, &dialog, &QDialog::reject);
    }
    dialog.exec();
    if (app && single)
        app->m_nNumPreviewPages = single->isChecked() ? 1 : 2;
}

BOOL CView::PrintPage(QPrinter* printer)
{
    QPainter painter;
    if (!painter.begin(printer))
        return FALSE;
    // 96 of the view's pixels to the inch, or fewer when its size does not fit the page.
    const qreal scaleX = printer->logicalDpiX() / 96.0;
    const qreal scaleY = printer->logicalDpiY() / 96.0;
    const QSize extent = sizeHint().expandedTo(QSize(1, 1));
    const qreal fit = std::min({1.0, printer->width() / (extent.width() * scaleX),
                                printer->height() / (extent.height() * scaleY)});
    painter.scale(scaleX * fit, scaleY * fit);
    {
        CDC dc(&painter, TRUE);
        OnDraw(&dc);
    }
    return painter.end();
}
