#include "textview/gui/QtTextClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "textview/TextEditController.h"

void SetClipboardPlainText(const std::u16string& text)
{
    QGuiApplication::clipboard()->setText(QString::fromStdU16String(text));
}

bool GetClipboardPlainText(std::u16string& text)
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (data == nullptr || !data->hasText())
        return false;
    text = data->text().toStdU16String();
    return true;
}

void InstallClipboardHooks(STextEditHooks& hooks)
{
    hooks.setClipboardText = SetClipboardPlainText;
    hooks.getClipboardText = GetClipboardPlainText;
}
