// The "Options" sheet in the running program: a value changed on a page, OK, the setting
// holds it, is applied at once where it shows, is saved at exit and read back at the next
// start; a refused value writes nothing.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFile>
#include <QMdiArea>
#include <QSettings>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/AppSettings.h"
#include "app/gui/OptionsSheet.h"
#include "app/gui/ScrivelApp.h"
#include "syntax/TextEditModule.h"
#include "ui/gui/MainFrame.h"

namespace
{
struct SHome
{
    QTemporaryDir home;
    SHome()
    {
        ::setenv("HOME", home.path().toLocal8Bit().constData(), 1);
        ::setenv("XDG_CONFIG_HOME", (home.path() + "/config").toLocal8Bit().constData(), 1);
        ::setenv("XDG_DATA_HOME", (home.path() + "/data").toLocal8Bit().constData(), 1);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QString ConfigFile() const { return home.path() + "/config/Vantro Software/Scrivel.conf"; }
};

void RunScrivel(const std::function<void(CScrivelApp&)>& whileRunning)
{
    int argc = 1;
    char name[] = "scrivel";
    char* argv[] = {name, nullptr};
    CScrivelApp app(argc, argv);
    app.SetMessageHook([](const std::string&) {});
    ASSERT_TRUE(app.InitInstance());
    whileRunning(app);
    app.MainFrame()->close();
    app.ExitInstance(0);
}

template <typename T> T* Control(COptionsSheet& sheet, const char* page, const char* name)
{
    COptionsPage* pPage = sheet.Page(page);
    EXPECT_NE(pPage, nullptr) << page;
    T* control = pPage ? pPage->findChild<T*>(name) : nullptr;
    EXPECT_NE(control, nullptr) << name;
    return control;
}
} // namespace

TEST(OptionsSheet, OkAppliesAtOnceSavesAtExitAndTheNextStartReadsItBack)
{
    SHome env;
    RunScrivel(
        [&](CScrivelApp& app)
        {
            std::vector<int> appliedTabs;
            app.OptionsContext().hooks.applyTabSettings = [&](const STabOptions& t)
            { appliedTabs.push_back(t.nTabSize); };
            COptionsSheet sheet(GetAppSettings(), app.TextModule(), app.OptionsContext(),
                                app.MainFrame());
            EXPECT_EQ(sheet.windowTitle(), "Options");
        // Pictures of the pages beside the test program, to look at.
        for (int i = 0; i < sheet.Pages()->count(); ++i)
        {
            sheet.Pages()->setCurrentIndex(i);
            sheet.adjustSize();
            sheet.grab().save(QCoreApplication::applicationDirPath() +
                              QStringLiteral("/options-%1.png").arg(i));
        }
            Control<QSpinBox>(sheet, "Hex Editor", "RowSize")->setValue(32);
            Control<QCheckBox>(sheet, "General", "ShowLongTitle")->setChecked(true);
            Control<QCheckBox>(sheet, "General", "TabbedDocuments")->setChecked(false);
            Control<QCheckBox>(sheet, "Text Display", "ShowWhitespace")->setChecked(true);
            Control<QCheckBox>(sheet, "Text Display", "Bold11")->setChecked(true);
            Control<QSpinBox>(sheet, "Text Editor", "TabSize")->setValue(8);
            sheet.accept();
            EXPECT_EQ(sheet.result(), QDialog::Accepted);
            EXPECT_TRUE(GetAppSettings().m_bShowLongTitle);
            EXPECT_FALSE(GetAppSettings().m_bTabbedDocuments);
            EXPECT_EQ(app.MainFrame()->MdiArea()->viewMode(), QMdiArea::SubWindowView);
            EXPECT_EQ(appliedTabs, std::vector<int>{8});
            EXPECT_EQ(app.OptionsContext().tabs.nTabSize, 8);
        });
    {
        QSettings written(env.ConfigFile(), QSettings::IniFormat);
        EXPECT_EQ(written.value("Settings/ShowLongTitle").toInt(), 1);
        EXPECT_EQ(written.value("Settings/TabbedDocuments").toInt(), 0);
        EXPECT_EQ(written.value("TextEdit/Settings/ShowWhitespace").toInt(), 1);
        EXPECT_EQ(written.value("TextEdit/Settings/Colors/Bold12").toInt(), 1); // class 11
        EXPECT_EQ(written.value("HexEdit/Settings/RowSize").toInt(), 32);
    }
    // The next start reads them back, and the sheet shows them.
    RunScrivel(
        [&](CScrivelApp& app)
        {
            EXPECT_EQ(app.MainFrame()->MdiArea()->viewMode(), QMdiArea::SubWindowView);
            COptionsSheet sheet(GetAppSettings(), app.TextModule(), app.OptionsContext(),
                                app.MainFrame());
            EXPECT_TRUE(Control<QCheckBox>(sheet, "General", "ShowLongTitle")->isChecked());
            EXPECT_TRUE(Control<QCheckBox>(sheet, "Text Display", "ShowWhitespace")->isChecked());
            EXPECT_TRUE(Control<QCheckBox>(sheet, "Text Display", "Bold11")->isChecked());
            EXPECT_EQ(Control<QSpinBox>(sheet, "Hex Editor", "RowSize")->value(), 32);
            // Put the defaults back for the other tests of this process.
            Control<QSpinBox>(sheet, "Hex Editor", "RowSize")->setValue(16);
            Control<QCheckBox>(sheet, "General", "ShowLongTitle")->setChecked(false);
            Control<QCheckBox>(sheet, "General", "TabbedDocuments")->setChecked(true);
            sheet.accept();
        });
}

TEST(OptionsSheet, HexSizesOutsideTheRulesAreRefusedAndNothingIsWritten)
{
    SHome env;
    RunScrivel(
        [&](CScrivelApp& app)
        {
            SHexOptions hex;
            int nWrites = 0;
            app.OptionsContext().hooks.readHexOptions = [&]() { return hex; };
            app.OptionsContext().hooks.writeHexOptions = [&](const SHexOptions& o)
            {
                hex = o;
                ++nWrites;
            };
            COptionsSheet sheet(GetAppSettings(), app.TextModule(), app.OptionsContext(),
                                app.MainFrame());
            std::vector<QString> messages;
            sheet.SetMessageHook([&](const QString& text) { messages.push_back(text); });
            Control<QCheckBox>(sheet, "General", "EscToClose")->setChecked(false);
            Control<QSpinBox>(sheet, "Hex Editor", "RowSize")->setValue(8);
            Control<QSpinBox>(sheet, "Hex Editor", "GroupSize")->setValue(16);
            EXPECT_FALSE(sheet.Apply());
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_EQ(sheet.Pages()->currentWidget(), sheet.Page("Hex Editor"));
            EXPECT_EQ(nWrites, 0);
            EXPECT_TRUE(GetAppSettings().m_bEscToClose); // not even the valid pages were written
            Control<QSpinBox>(sheet, "Hex Editor", "GroupSize")->setValue(8);
            Control<QCheckBox>(sheet, "General", "EscToClose")->setChecked(true);
            EXPECT_TRUE(sheet.Apply());
            EXPECT_EQ(hex.nRowSize, 8);
            EXPECT_EQ(hex.nGroupSize, 8);
        });
}

TEST(OptionsSheet, IntegrationPageAddsAndRemovesThePerUserDesktopEntry)
{
    SHome env;
    RunScrivel(
        [&](CScrivelApp& app)
        {
            const QString entry = env.home.path() + "/data/applications/scrivel.desktop";
            {
                COptionsSheet sheet(GetAppSettings(), app.TextModule(), app.OptionsContext(),
                                    app.MainFrame());
                QCheckBox* box = Control<QCheckBox>(sheet, "Integration", "DesktopEntry");
                EXPECT_FALSE(box->isChecked());
                box->setChecked(true);
                EXPECT_TRUE(sheet.Apply());
            }
            QFile file(entry);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            const QString text = QString::fromUtf8(file.readAll());
            EXPECT_TRUE(text.contains("Name=Open in hex editor"));
            EXPECT_TRUE(text.contains(" -e -t:hex %f"));
            file.close();
            {
                COptionsSheet sheet(GetAppSettings(), app.TextModule(), app.OptionsContext(),
                                    app.MainFrame());
                QCheckBox* box = Control<QCheckBox>(sheet, "Integration", "DesktopEntry");
                EXPECT_TRUE(box->isChecked());
                box->setChecked(false);
                EXPECT_TRUE(sheet.Apply());
            }
            EXPECT_FALSE(QFile::exists(entry));
        });
}
