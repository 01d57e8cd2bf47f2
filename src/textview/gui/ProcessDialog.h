#pragma once
// The modal "Processing" dialog: runs a piece of work on a worker thread and shows its
// progress in a bar. Cancel asks the work to stop; the dialog closes when the worker has
// ended, never before, so the work never outlives what it reads.

#include <QDialog>

#include <atomic>
#include <functional>
#include <thread>

#include "syntax/SyntaxTextExport.h"

class QLabel;
class QProgressBar;
class QPushButton;

class CProcessDialog : public QDialog, private CSyntaxExportProgress
{
    Q_OBJECT
public:
    // work runs on the worker thread with the dialog as its progress reporter.
    CProcessDialog(QWidget* parent, std::function<bool(CSyntaxExportProgress&)> work);
    ~CProcessDialog() override;

    // Runs the work modally; true when it succeeded.
    bool Run();
    bool WasCancelled() const { return m_bCancel.load(); }
    // Stops the work and waits for it (a change of the text is coming).
    void CancelAndWait();
    QProgressBar* ProgressBar() const { return m_pBar; }

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // CSyntaxExportProgress, called on the worker thread.
    void SetRange(int nLow, int nHigh) override;
    void Advance(int nLine) override;
    bool IsCancelled() const override { return m_bCancel.load(std::memory_order_relaxed); }
    void Finish(bool bOk);

    std::function<bool(CSyntaxExportProgress&)> m_fnWork;
    std::thread m_worker;
    std::atomic<bool> m_bCancel{false};
    std::atomic<int> m_nLastPercent{-1};
    int m_nLow = 0;
    int m_nHigh = 0;
    bool m_bOk = false;
    bool m_bDone = false;
    QLabel* m_pLabel;
    QProgressBar* m_pBar;
    QPushButton* m_pCancel;
};
