// The connect dialog: its port list, its key filters, the master key and its settings section.
#include <gtest/gtest.h>

#include <QTest>
#include <filesystem>
#include <fstream>

#include "Controls.h"
#include "IniFile.h"
#include "fConnect.h"

namespace {

class ConnectDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/tarnel-connect-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    std::string WriteFile(const std::string& text) {
        const std::string name = (m_dir / "current.ini").string();
        std::ofstream(name, std::ios::binary) << text;
        return name;
    }
    std::string FileName() const { return (m_dir / "current.ini").string(); }

    std::filesystem::path m_dir;
};

}  // namespace

TEST_F(ConnectDialogTest, WithoutSettingsNoPortIsChosenAndTheNumberIsTen) {
    TFormConnect dialog;
    dialog.SetPortNames({"ttyS0", "ttyUSB0"});
    const TIniFile ini(FileName());
    dialog.LoadFromIni(ini);
    EXPECT_EQ(dialog.ComPorts->currentIndex(), -1);
    EXPECT_EQ(dialog.ComPorts->currentText(), "");
    EXPECT_EQ(dialog.etObjN->text(), "10");
    EXPECT_EQ(dialog.meMasterKey->Text(), "9618");
}

TEST_F(ConnectDialogTest, PortsAreSortedAsTextAndTheChosenIndexIsStored) {
    TFormConnect dialog;
    dialog.SetPortNames({"COM1", "COM2", "COM10"});
    ASSERT_EQ(dialog.ComPorts->count(), 3);
    EXPECT_EQ(dialog.ComPorts->itemText(0), "COM1");
    EXPECT_EQ(dialog.ComPorts->itemText(1), "COM10");
    EXPECT_EQ(dialog.ComPorts->itemText(2), "COM2");

    dialog.ComPorts->setCurrentIndex(2);
    {
        TIniFile ini(FileName());
        dialog.SaveToIni(ini);
        ini.UpdateFile();
    }
    const TIniFile ini(FileName());
    EXPECT_EQ(ini.ReadString("FormConnect", "ComPorts", ""), "2");
    EXPECT_EQ(ini.ReadSection("FormConnect"),
              (std::vector<std::string>{"ComPorts", "etObjN", "meMasterKey"}));

    // The port at index 2 has gone: the next dialog selects what is there now, or nothing.
    TFormConnect fewer;
    fewer.SetPortNames({"COM1", "COM3"});
    fewer.LoadFromIni(ini);
    EXPECT_EQ(fewer.ComPorts->currentIndex(), -1);
}

TEST_F(ConnectDialogTest, ATypedPortNameIsUsedButNotStored) {
    TFormConnect dialog;
    dialog.SetPortNames({"ttyS0"});
    dialog.ComPorts->setEditText("/dev/pts/9");
    EXPECT_EQ(dialog.PortName(), "/dev/pts/9");
    TIniFile ini(FileName());
    dialog.SaveToIni(ini);
    EXPECT_EQ(ini.ReadString("FormConnect", "ComPorts", ""), "-1");
}

TEST_F(ConnectDialogTest, TheModuleNumberTakesTwoDigitsAndNothingElse) {
    TFormConnect dialog;
    dialog.show();
    dialog.etObjN->clear();
    dialog.etObjN->setFocus();
    QTest::keyClicks(dialog.etObjN, "1a-2 3");
    EXPECT_EQ(dialog.etObjN->text(), "12");
    QTest::keyClick(dialog.etObjN, Qt::Key_Backspace);
    EXPECT_EQ(dialog.etObjN->text(), "1");
}

TEST_F(ConnectDialogTest, TheMasterKeyAlwaysHoldsFourDigits) {
    struct TCase {
        const char* stored;
        const char* shown;
    };
    const TCase cases[] = {
        {"0042", "0042"}, {"1234", "1234"}, {"abcd", "0000"},
        {"12", "0012"},   {"", "0000"},     {"98765", "9876"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.stored);
        const std::string name =
            WriteFile(std::string("[FormConnect]\r\nmeMasterKey=") + c.stored + "\r\n");
        TFormConnect dialog;
        const TIniFile ini(name);
        dialog.LoadFromIni(ini);
        EXPECT_EQ(dialog.meMasterKey->Text().toStdString(), c.shown);
    }
}

TEST_F(ConnectDialogTest, StoredValuesComeBackOnTheNextConnect) {
    const std::string name =
        WriteFile("; written by hand\r\n[formconnect]\r\ncomports=1\r\nETOBJN=7\r\n");
    TFormConnect dialog;
    dialog.SetPortNames({"ttyUSB0", "ttyS0"});
    const TIniFile ini(name);
    dialog.LoadFromIni(ini);
    EXPECT_EQ(dialog.ComPorts->currentText(), "ttyUSB0");
    EXPECT_EQ(dialog.etObjN->text(), "7");
    EXPECT_EQ(dialog.ModuleNumberText(), "7");
}
