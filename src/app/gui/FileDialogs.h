#pragma once
// The file dialogs of the document commands: Open (several existing files, the filter list
// of the parser factory, "Open &As:" and read-only), Save As (with the encoding and
// line-ending choices of text documents), and the properties of a file. The choices are
// decided by the plain functions of app/FileDialogModel.h and the code-page list.

#include <QDialog>
#include <QString>

#include <string>
#include <vector>

struct SSaveAsPrompt;
class CSyntaxParserFactory;

// The Open dialog; false on Cancel. nOpenAsItem is the item of "Open &As:".
bool RunOpenDialog(QWidget* pParent, const CSyntaxParserFactory* pFactory,
                   const std::string& strStartFolder, std::vector<std::string>& files,
                   int& nOpenAsItem, bool& bReadOnly);
// The Save As dialog; false on Cancel. Fills the path and, for text, the choices.
bool RunSaveAsDialog(QWidget* pParent, SSaveAsPrompt& prompt, const std::string& strStartFolder);

// The desktop's file manager with the file selected (its D-Bus FileManager1 interface);
// without one, the folder opened by the desktop.
void ShowFileInFileManager(const QString& path);

// Path, size, type, times, permissions and owner of a file.
class CFilePropertiesDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CFilePropertiesDlg(const QString& path, QWidget* pParent = nullptr);
};
