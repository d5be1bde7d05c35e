// The connect dialog: its port list, its key filters, the master key, its settings section and
// its keyboard order.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "ini/IniFile.h"
#include "shell/ConnectDialog.h"
#include "widgets/StoredControls.h"

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

TSerialPortInfo Serial(const std::string& name) {
    TSerialPortInfo port;
    port.Name = name;
    return port;
}

TSerialPortInfo Usb(const std::string& name, const std::string& product,
                    const std::string& serialNumber) {
    TSerialPortInfo port = Serial(name);
    port.IsUsb = true;
    port.Product = product;
    port.SerialNumber = serialNumber;
    return port;
}

QStringList Items(const TConnectDialog& dialog) {
    QStringList items;
    for (int i = 0; i < dialog.ComPorts->count(); ++i) {
        items << dialog.ComPorts->itemText(i);
    }
    return items;
}

}  // namespace

TEST_F(ConnectDialogTest, WithoutSettingsNoPortIsChosenAndTheNumberIsTen) {
    TConnectDialog dialog;
    dialog.SetPorts({Serial("ttyS0"), Usb("ttyUSB0", "FT232R USB UART", "A50285BI")});
    const TIniFile ini(FileName());
    dialog.LoadFromIni(ini);
    EXPECT_EQ(dialog.ComPorts->currentIndex(), -1);
    EXPECT_EQ(dialog.ComPorts->currentText(), "");
    EXPECT_EQ(dialog.PortName(), "");
    EXPECT_EQ(dialog.etObjN->text(), "10");
    EXPECT_EQ(dialog.meMasterKey->Text(), "9618");
    // Its title bar names the program, never the executable's file name.
    EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("Тарнел"));
}

TEST_F(ConnectDialogTest, PortsShowTheirAdapterUsbFirstInNaturalOrderAndStandForTheirDevice) {
    TConnectDialog dialog;
    dialog.SetPorts({Serial("ttyS10"), Serial("ttyS2"), Usb("ttyUSB10", "FT232R USB UART", "B1"),
                     Usb("ttyUSB2", "CP2102 USB to UART Bridge Controller", ""),
                     Usb("ttyACM0", "", "")});
    EXPECT_EQ(Items(dialog),
              (QStringList{"ttyACM0", "ttyUSB2 — CP2102 USB to UART Bridge Controller",
                           "ttyUSB10 — FT232R USB UART (B1)", "ttyS2", "ttyS10"}));

    dialog.ComPorts->setCurrentIndex(2);
    EXPECT_EQ(dialog.PortName(), "ttyUSB10");
    {
        TIniFile ini(FileName());
        dialog.SaveToIni(ini);
        ini.UpdateFile();
    }
    // The file keeps the device name, never the text shown; the index stays where it was.
    const TIniFile ini(FileName());
    EXPECT_EQ(ini.ReadString("FormConnect", "ComPorts", ""), "2");
    EXPECT_EQ(ini.ReadString("FormConnect", "ComPortName", ""), "ttyUSB10");
    EXPECT_EQ(ini.ReadSection("FormConnect"),
              (std::vector<std::string>{"ComPorts", "etObjN", "meMasterKey", "ComPortName"}));

    // The same port comes back chosen when the list has changed around it.
    TConnectDialog next;
    next.SetPorts({Serial("ttyS2"), Usb("ttyUSB10", "FT232R USB UART", "B1")});
    next.LoadFromIni(ini);
    EXPECT_EQ(next.ComPorts->currentText(), "ttyUSB10 — FT232R USB UART (B1)");
    EXPECT_EQ(next.PortName(), "ttyUSB10");
}

// What the dialog offers when it opens, for every way the saved port may relate to the ports
// that are present now: a port that is not there is never swapped silently for another one
// unless it is the only USB adapter.
TEST_F(ConnectDialogTest, TheSavedPortIsChosenOnlyWhenPresentOrElseTheOneUsbAdapter) {
    struct TCase {
        const char* section;
        std::vector<TSerialPortInfo> ports;
        const char* shown;
        const char* portName;
    };
    const TSerialPortInfo ftdi = Usb("ttyUSB0", "FT232R USB UART", "A50285BI");
    const TSerialPortInfo acm = Usb("ttyACM0", "", "");
    const TCase cases[] = {
        {"ComPorts=1\r\nComPortName=ttyS1",
         {Serial("ttyS0"), Serial("ttyS1"), ftdi},
         "ttyS1",
         "ttyS1"},
        {"ComPorts=0\r\nComPortName=COM3",
         {Serial("ttyS0"), ftdi},
         "ttyUSB0 — FT232R USB UART (A50285BI)",
         "ttyUSB0"},
        {"ComPorts=0\r\nComPortName=COM3", {Serial("ttyS0"), ftdi, acm}, "COM3", "COM3"},
        {"ComPorts=0\r\nComPortName=COM3", {Serial("ttyS0")}, "COM3", "COM3"},
        {"ComPorts=-1\r\nComPortName=/dev/pts/9", {Serial("ttyS0")}, "/dev/pts/9", "/dev/pts/9"},
        // A name put by hand under the index's key is taken as a name.
        {"ComPorts=COM3", {Serial("ttyS0")}, "COM3", "COM3"},
        {"ComPorts=ttyS1", {Serial("ttyS0"), Serial("ttyS1")}, "ttyS1", "ttyS1"},
        // An older file's bare index counted other ports: it chooses nothing by itself.
        {"ComPorts=2", {Serial("ttyS0"), Serial("ttyS1"), Serial("ttyS2")}, "", ""},
        {"ComPorts=1", {Serial("ttyS0"), ftdi}, "ttyUSB0 — FT232R USB UART (A50285BI)", "ttyUSB0"},
        // Nothing saved yet: the first connect chooses nothing.
        {"etObjN=5", {ftdi}, "", ""},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.section);
        const std::string name = WriteFile(std::string("[FormConnect]\r\n") + c.section + "\r\n");
        TConnectDialog dialog;
        dialog.SetPorts(c.ports);
        dialog.LoadFromIni(TIniFile(name));
        EXPECT_EQ(dialog.ComPorts->currentText().toStdString(), c.shown);
        EXPECT_EQ(dialog.PortName(), c.portName);
    }
}

TEST_F(ConnectDialogTest, ATypedPortNameOrPathIsUsedAndStored) {
    TConnectDialog dialog;
    dialog.SetPorts({Serial("ttyS0"), Usb("ttyUSB0", "FT232R USB UART", "A5")});
    dialog.ComPorts->setEditText("/dev/pts/9");
    EXPECT_EQ(dialog.PortName(), "/dev/pts/9");
    TIniFile ini(FileName());
    dialog.SaveToIni(ini);
    EXPECT_EQ(ini.ReadString("FormConnect", "ComPorts", ""), "-1");
    EXPECT_EQ(ini.ReadString("FormConnect", "ComPortName", ""), "/dev/pts/9");

    // An item's whole text, typed or pasted, still means that item's device.
    dialog.ComPorts->setEditText(" ttyUSB0 — FT232R USB UART (A5) ");
    EXPECT_EQ(dialog.PortName(), "ttyUSB0");
}

TEST_F(ConnectDialogTest, TheListIsReadAgainEachTimeItDropsDown) {
    std::vector<TSerialPortInfo> present{Serial("ttyS0")};
    bool failing = false;
    TConnectDialog dialog;
    dialog.ListPorts = [&] {
        if (failing) {
            throw std::runtime_error("EnumPorts failed.");
        }
        return present;
    };
    dialog.SetPorts(present);
    dialog.show();
    dialog.ComPorts->setCurrentIndex(0);

    // An adapter plugged in while the dialog is open appears; the chosen port stays chosen.
    present.push_back(Usb("ttyUSB0", "FT232R USB UART", "A5"));
    dialog.ComPorts->showPopup();
    dialog.ComPorts->hidePopup();
    EXPECT_EQ(Items(dialog), (QStringList{"ttyUSB0 — FT232R USB UART (A5)", "ttyS0"}));
    EXPECT_EQ(dialog.PortName(), "ttyS0");

    // Typed text survives the new list as it was typed.
    dialog.ComPorts->setEditText("/dev/pts/3");
    present.pop_back();
    dialog.ComPorts->showPopup();
    dialog.ComPorts->hidePopup();
    EXPECT_EQ(Items(dialog), QStringList{"ttyS0"});
    EXPECT_EQ(dialog.PortName(), "/dev/pts/3");

    // A list that cannot be read leaves the one shown.
    failing = true;
    dialog.ComPorts->showPopup();
    dialog.ComPorts->hidePopup();
    EXPECT_EQ(Items(dialog), QStringList{"ttyS0"});
}

TEST_F(ConnectDialogTest, TheModuleNumberTakesTwoDigitsAndNothingElse) {
    TConnectDialog dialog;
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
        TConnectDialog dialog;
        const TIniFile ini(name);
        dialog.LoadFromIni(ini);
        EXPECT_EQ(dialog.meMasterKey->Text().toStdString(), c.shown);
    }
}

TEST_F(ConnectDialogTest, StoredValuesComeBackOnTheNextConnect) {
    const std::string name =
        WriteFile("; written by hand\r\n[formconnect]\r\ncomportname=ttyUSB0\r\nETOBJN=7\r\n");
    TConnectDialog dialog;
    dialog.SetPorts({Usb("ttyUSB0", "", ""), Serial("ttyS0")});
    const TIniFile ini(name);
    dialog.LoadFromIni(ini);
    EXPECT_EQ(dialog.ComPorts->currentText(), "ttyUSB0");
    EXPECT_EQ(dialog.etObjN->text(), "7");
    EXPECT_EQ(dialog.ModuleNumberText(), "7");
}

TEST_F(ConnectDialogTest, OpensInThePortBoxAndTabGoesPortNumberOkCancel) {
    TConnectDialog dialog;
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    EXPECT_TRUE(dialog.ComPorts->hasFocus());

    QPushButton* ok = dialog.RzDialogButtons1->button(QDialogButtonBox::Ok);
    QPushButton* cancel = dialog.RzDialogButtons1->button(QDialogButtonBox::Cancel);
    EXPECT_EQ(cancel->text(), QString::fromUtf8("Отмена"));
    const std::vector<QWidget*> chain = {dialog.ComPorts, dialog.etObjN, ok, cancel,
                                         dialog.ComPorts};
    for (std::size_t step = 1; step < chain.size(); ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_TRUE(chain[step]->hasFocus()) << "Tab " << step;
    }
    for (std::size_t step = chain.size() - 1; step-- > 0;) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        EXPECT_TRUE(chain[step]->hasFocus()) << "Shift+Tab to " << step;
    }
}

TEST_F(ConnectDialogTest, TheBoxesHaveTheirCaptionsAsNamesAndThePlugIsDrawnForTheScreen) {
    TConnectDialog dialog;
    EXPECT_EQ(dialog.ComPorts->accessibleName(), QString::fromUtf8("Com-порт"));
    EXPECT_EQ(dialog.etObjN->accessibleName(), QString::fromUtf8("№ реле"));
    EXPECT_EQ(dialog.size(), QSize(255, 234));
    const QPixmap plug = dialog.Image1->pixmap();
    EXPECT_DOUBLE_EQ(plug.devicePixelRatio(), dialog.Image1->devicePixelRatioF());
    EXPECT_EQ(plug.deviceIndependentSize().toSize(), QSize(41, 38));
}
