// Export to HTML and preview in the browser.

#include "textview/gui/TarvoTextView.h"

void CTarvoTextView::ExportToHtml() {}
void CTarvoTextView::PreviewInBrowser() {}
