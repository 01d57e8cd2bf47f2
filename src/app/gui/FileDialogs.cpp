#include "app/gui/FileDialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLocale>
#include <QMimeDatabase>
#include <QUrl>
#include <QVBoxLayout>

#ifdef SCRIVEL_HAVE_DBUS
#include <QDBusConnection>
#include <QDBusMessage>
#endif

#include "app/AppletDoc.h"
#include "app/FileDialogModel.h"
#include "encoding/CodePageList.h"
#include "platform/SystemInfo.h"
#include "syntax/SyntaxParserFactory.h"

namespace
{
QStringList QtFilters(const std::string& strFilterList)
{
    QStringList filters;
    for (const std::string& f : FileDialogFilters(strFilterList))
        filters << QString::fromStdString(f);
    return filters;
}

// Adds a labelled drop-down below the file dialog's own rows.
QComboBox* AddChooser(QFileDialog& dlg, const QString& label, const std::vector<std::string>& items)
{
    auto* pCombo = new QComboBox(&dlg);
    for (const std::string& item : items)
        pCombo->addItem(QString::fromStdString(item));
    auto* pLabel = new QLabel(label, &dlg);
    pLabel->setBuddy(pCombo);
    if (auto* pGrid = qobject_cast<QGridLayout*>(dlg.layout()))
    {
        const int row = pGrid->rowCount();
        pGrid->addWidget(pLabel, row, 0);
        pGrid->addWidget(pCombo, row, 1);
    }
    return pCombo;
}
} // namespace

bool RunOpenDialog(QWidget* pParent, const CSyntaxParserFactory* pFactory,
                   const std::string& strStartFolder, std::vector<std::string>& files,
                   int& nOpenAsItem, bool& bReadOnly)
{
    QFileDialog dlg(pParent, QObject::tr("Open"), QString::fromStdString(strStartFolder));
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setFileMode(QFileDialog::ExistingFiles);
    const QStringList filters =
        QtFilters(pFactory ? pFactory->BuildFilterString(true, "%Name Files|%Exts")
                           : "All Files (*.*)|*.*||");
    dlg.setNameFilters(filters);
    if (!filters.isEmpty())
        dlg.selectNameFilter(filters.back());
    QComboBox* pOpenAs = AddChooser(dlg, QObject::tr("Open &As:"), COpenAsChoice::Items());
    auto* pReadOnly = new QCheckBox(QObject::tr("Open as &read-only"), &dlg);
    if (auto* pGrid = qobject_cast<QGridLayout*>(dlg.layout()))
        pGrid->addWidget(pReadOnly, pGrid->rowCount(), 1);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    files.clear();
    for (const QString& f : dlg.selectedFiles())
        files.push_back(f.toStdString());
    nOpenAsItem = pOpenAs->currentIndex();
    bReadOnly = pReadOnly->isChecked();
    return !files.empty();
}

bool RunSaveAsDialog(QWidget* pParent, SSaveAsPrompt& prompt, const std::string& strStartFolder)
{
    QFileDialog dlg(pParent, QObject::tr("Save As"));
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setFileMode(QFileDialog::AnyFile);
    const QStringList filters = QtFilters(prompt.strFilter);
    dlg.setNameFilters(filters);
    if (prompt.nFilterIndex >= 1 && prompt.nFilterIndex <= filters.size())
        dlg.selectNameFilter(filters[prompt.nFilterIndex - 1]);
    if (!prompt.strPath.empty())
        dlg.selectFile(QString::fromStdString(prompt.strPath));
    else
        dlg.setDirectory(QString::fromStdString(strStartFolder));

    QComboBox* pLineEndings = nullptr;
    QComboBox* pEncoding = nullptr;
    CodePageInfoList codePages;
    if (prompt.bTextChoices)
    {
        pLineEndings = AddChooser(dlg, QObject::tr("&Line Endings:"), LineEndingChooserItems());
        pLineEndings->setCurrentIndex(0);
        BuildCodePageList(codePages);
        pEncoding = AddChooser(dlg, QObject::tr("&Encoding:"), EncodingChooserItems(codePages));
        pEncoding->setCurrentIndex(EncodingChooserSelection(
            codePages, prompt.encoding.nEncoding, prompt.encoding.nCodePage, GetTextCodePage()));
    }
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return false;
    prompt.strPath = dlg.selectedFiles().front().toStdString();
    if (prompt.bTextChoices)
    {
        prompt.nLineEndMode = LineEndModeOfItem(pLineEndings->currentIndex());
        prompt.encoding = EncodingChoiceOfItem(codePages, pEncoding->currentIndex());
    }
    return true;
}

void ShowFileInFileManager(const QString& path)
{
#ifdef SCRIVEL_HAVE_DBUS
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(path).toString()} << QString();
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 3000);
    if (reply.type() == QDBusMessage::ReplyMessage)
        return;
#endif
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absolutePath()));
}

CFilePropertiesDlg::CFilePropertiesDlg(const QString& path, QWidget* pParent) : QDialog(pParent)
{
    setWindowTitle(tr("Properties"));
    const QFileInfo info(path);
    const QLocale locale;
    auto* pForm = new QFormLayout;
    auto add = [&](const QString& label, const QString& value)
    {
        auto* pValue = new QLabel(value, this);
        pValue->setTextInteractionFlags(Qt::TextSelectableByMouse);
        pForm->addRow(label, pValue);
    };
    auto time = [&](const QDateTime& t)
    { return t.isValid() ? locale.toString(t, QLocale::LongFormat) : tr("unknown"); };

    add(tr("Path:"), info.absoluteFilePath());
    add(tr("Size:"), tr("%1 (%2 bytes)")
                         .arg(locale.formattedDataSize(info.size()), locale.toString(info.size())));
    add(tr("Type:"), QMimeDatabase().mimeTypeForFile(info).comment());
    add(tr("Created:"), time(info.birthTime()));
    add(tr("Modified:"), time(info.lastModified()));
    add(tr("Accessed:"), time(info.lastRead()));
    add(tr("Changed:"), time(info.metadataChangeTime()));

    const QFile::Permissions p = info.permissions();
    QString mode;
    const std::pair<QFile::Permission, char> bits[] = {
        {QFile::ReadOwner, 'r'}, {QFile::WriteOwner, 'w'}, {QFile::ExeOwner, 'x'},
        {QFile::ReadGroup, 'r'}, {QFile::WriteGroup, 'w'}, {QFile::ExeGroup, 'x'},
        {QFile::ReadOther, 'r'}, {QFile::WriteOther, 'w'}, {QFile::ExeOther, 'x'}};
    for (const auto& [bit, c] : bits)
        mode += (p & bit) ? QLatin1Char(c) : QLatin1Char('-');
    add(tr("Permissions:"), mode);
    add(tr("Owner:"), QStringLiteral("%1 (%2)").arg(info.owner()).arg(info.ownerId()));
    add(tr("Group:"), QStringLiteral("%1 (%2)").arg(info.group()).arg(info.groupId()));

    auto* pButtons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(pButtons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* pLayout = new QVBoxLayout(this);
    pLayout->addLayout(pForm);
    pLayout->addWidget(pButtons);
}
