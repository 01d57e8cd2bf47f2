#include "textview/gui/ProcessDialog.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

CProcessDialog::CProcessDialog(QWidget* parent, std::function<bool(CSyntaxExportProgress&)> work)
    : QDialog(parent), m_fnWork(std::move(work))
{
    setWindowTitle(QStringLiteral("Processing"));
    // No close item while the work runs: Cancel is the way out.
    setWindowFlags((windowFlags() | Qt::CustomizeWindowHint | Qt::WindowTitleHint) &
                   ~(Qt::WindowCloseButtonHint | Qt::WindowContextHelpButtonHint));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    m_pLabel = new QLabel(QStringLiteral("Processing..., Please wait"), this);
    m_pBar = new QProgressBar(this);
    m_pBar->setRange(0, 100);
    m_pBar->setValue(0);
    m_pCancel = new QPushButton(QStringLiteral("Cancel"), this);
    layout->addWidget(m_pLabel);
    layout->addWidget(m_pBar);
    layout->addWidget(m_pCancel, 0, Qt::AlignRight);
    connect(m_pCancel, &QPushButton::clicked, this, &CProcessDialog::reject);
    setMinimumWidth(320);
}

CProcessDialog::~CProcessDialog()
{
    CancelAndWait();
}

bool CProcessDialog::Run()
{
    exec();
    return m_bOk;
}

void CProcessDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_worker.joinable() || m_bDone)
        return;
    m_worker = std::thread(
        [this]
        {
            const bool bOk = m_fnWork(*this);
            QMetaObject::invokeMethod(
                this, [this, bOk] { Finish(bOk); }, Qt::QueuedConnection);
        });
}

void CProcessDialog::Finish(bool bOk)
{
    if (m_worker.joinable())
        m_worker.join();
    m_bOk = bOk;
    m_bDone = true;
    done(bOk ? QDialog::Accepted : QDialog::Rejected);
}

void CProcessDialog::reject()
{
    // Esc and Cancel ask the work to stop; the dialog ends when the worker has ended.
    m_bCancel.store(true);
    m_pCancel->setEnabled(false);
    if (m_bDone || !m_worker.joinable())
        QDialog::reject();
}

void CProcessDialog::closeEvent(QCloseEvent* event)
{
    if (m_bDone || !m_worker.joinable())
        QDialog::closeEvent(event);
    else
        event->ignore();
}

void CProcessDialog::CancelAndWait()
{
    m_bCancel.store(true);
    if (m_worker.joinable())
        m_worker.join();
}

void CProcessDialog::SetRange(int nLow, int nHigh)
{
    m_nLow = nLow;
    m_nHigh = nHigh;
}

void CProcessDialog::Advance(int nLine)
{
    // Only a change of a whole percent reaches the bar, so a long export does not flood
    // the event queue.
    const int span = m_nHigh > m_nLow ? m_nHigh - m_nLow : 1;
    const int percent = static_cast<int>(static_cast<long long>(nLine - m_nLow + 1) * 100 / span);
    if (percent == m_nLastPercent.exchange(percent))
        return;
    QMetaObject::invokeMethod(
        m_pBar, [bar = m_pBar, percent] { bar->setValue(std::min(100, percent)); },
        Qt::QueuedConnection);
}
