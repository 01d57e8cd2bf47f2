// Export to HTML and preview in the browser, each on a worker thread behind the modal
// progress dialog.

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

#include "syntax/TextEditModule.h"
#include "textview/TextExportSource.h"
#include "textview/gui/ProcessDialog.h"
#include "textview/gui/TarvoTextView.h"

namespace
{
bool RunExport(CTarvoTextView* view, CTextLayout& layout, const std::string& docPath,
               const std::string* pOutput, std::string& path, CProcessDialog** ppRunning)
{
    CSyntaxTextExport& exporter = CSyntaxTextExport::GetInstance();
    CTarvoTextEditModule* module = CTarvoTextEditModule::GetInstance();
    exporter.SetColors(module != nullptr ? &module->GetColors() : nullptr);
    CTextLayoutExportSource source(layout);
    std::string error;
    CProcessDialog dialog(
        view,
        [&](CSyntaxExportProgress& progress)
        {
            if (pOutput != nullptr)
            {
                path = *pOutput;
                return exporter.ExportToFile(docPath, *pOutput, source, &progress, error);
            }
            return exporter.PreviewInBrowser(docPath, source, &progress, path, error);
        });
    *ppRunning = &dialog;
    const bool bOk = dialog.Run();
    *ppRunning = nullptr;
    if (!bOk && !dialog.WasCancelled() && !error.empty())
        QMessageBox::warning(view, QStringLiteral("Scrivel"),
                             QString::fromStdString(path + "\n" + error));
    return bOk;
}
} // namespace

void CTarvoTextView::ExportToHtml()
{
    if (GetBuffer() == nullptr)
        return;
    QString suggested = QStringLiteral("Untitled.html");
    if (!m_strPath.empty())
    {
        const QFileInfo info(QString::fromStdString(m_strPath));
        suggested = info.absolutePath() + "/" + info.completeBaseName() + ".html";
    }
    const QString file =
        QFileDialog::getSaveFileName(this, QStringLiteral("Export to HTML"), suggested,
                                     QStringLiteral("HTML Files (*.html *.htm);;All Files (*)"));
    if (file.isEmpty())
        return;
    const std::string output = file.toStdString();
    std::string path;
    RunExport(this, m_layout, m_strPath, &output, path, &m_pRunningExport);
}

void CTarvoTextView::PreviewInBrowser()
{
    if (GetBuffer() == nullptr)
        return;
    std::string path;
    if (RunExport(this, m_layout, m_strPath, nullptr, path, &m_pRunningExport))
        QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}
