#include "shell/ConnectDialog.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QWindow>
#include <cstdint>

#include "ini/IniFile.h"
#include "pages/PageBase.h"
#include "protocol/AnswerText.h"
#include "shell/AppErrorReport.h"
#include "shell/PortBox.h"
#include "widgets/Icons.h"
#include "widgets/InputController.h"
#include "widgets/StoredControls.h"

namespace {

const char kMasterKeyMask[] = "!9999;1;_";
// The port as the driver opens it. The list's index under "ComPorts" cannot say which port it
// was once the ports change, so the name is kept beside it.
const char kPortNameKey[] = "ComPortName";
const char kMasterKeyDefault[] = "9618";
constexpr int kMasterKeyDigits = 4;

TLabel* MakeLabel(const QString& caption, QWidget* parent, const QRect& geometry) {
    auto* label = new TLabel(caption, parent);
    label->setGeometry(geometry);
    return label;
}

}  // namespace

TConnectDialog::TConnectDialog(QWidget* owner) : QDialog(owner) {
    setObjectName("FormConnect");
    // The dialog's own heading says what it is; its title bar names the program, as message boxes'
    // do.
    setWindowTitle(ToolTitle());
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setWindowOpacity(kOpacity / 255.0);
    setFixedSize(255, 234);
    // Where Tahoma is missing, a narrow substitute keeps the advice inside its designed box.
    QFont font;
    font.setFamilies({"Tahoma", "DejaVu Sans Condensed"});
    font.setPointSize(8);
    setFont(font);

    RzLabel1 = MakeLabel(QString::fromUtf8("Подключение к реле"), this, QRect(56, 8, 190, 20));
    RzLabel1->setObjectName("RzLabel1");
    QFont bold = RzLabel1->font();
    bold.setBold(true);
    RzLabel1->setFont(bold);

    Label1 = MakeLabel(QString::fromUtf8("Com-порт:"), this, QRect(10, 52, 80, 21));
    Label1->setObjectName("Label1");

    Image1 = new QLabel(this);
    Image1->setObjectName("Image1");
    Image1->setGeometry(8, 4, 41, 38);
    DrawPlug();

    Label2 = MakeLabel(QString::fromUtf8("№ реле:"), this, QRect(10, 80, 80, 21));
    Label2->setObjectName("Label2");

    Label3 = MakeLabel(
        QString::fromUtf8("* Для корректного подключения к панели через кабель "
                          "программирования необходимо подключаться в промежуток времени от "
                          "5 до 30 сек. после подачи питания."),
        this, QRect(5, 110, 245, 80));
    Label3->setObjectName("Label3");
    Label3->setWordWrap(true);
    Label3->setAlignment(Qt::AlignCenter);
    QFont advice = Label3->font();
    advice.setPointSize(10);
    Label3->setFont(advice);
    Label3->SetFontColor(Qt::red);

    lbKey = MakeLabel(QString::fromUtf8("Мастер-ключ:"), this, QRect(10, 108, 80, 21));
    lbKey->setObjectName("lbKey");
    lbKey->hide();

    ComPorts = new TComboBox(this);
    ComPorts->setObjectName("ComPorts");
    ComPorts->setEditable(true);
    ComPorts->setGeometry(96, 52, 144, 21);
    ComPorts->setAccessibleName(QString::fromUtf8("Com-порт"));
    ComPorts->OnDropDown = [this] { RefreshPorts(); };
    // A chosen port shows from its name on, however long its description, and its tooltip gives
    // the device's path.
    connect(ComPorts, &QComboBox::currentIndexChanged, this, [this](int index) {
        ComPorts->lineEdit()->setCursorPosition(0);
        ComPorts->setToolTip(index >= 0 ? ComPorts->itemData(index, Qt::ToolTipRole).toString()
                                        : QString());
    });

    etObjN = new TEdit(this);
    etObjN->setObjectName("etObjN");
    etObjN->setGeometry(96, 80, 57, 21);
    etObjN->setAccessibleName(QString::fromUtf8("№ реле"));
    etObjN->SetMaxLength(2);
    etObjN->SetDigitsOnly(true);
    etObjN->setText("10");
    etObjN->OnKeyPress = [](QChar& key) { TInputController::FilterDigitKey(key); };

    meMasterKey = new TMaskEdit(this);
    meMasterKey->setObjectName("meMasterKey");
    meMasterKey->setGeometry(96, 108, 57, 21);
    meMasterKey->SetEditMask(kMasterKeyMask);
    meMasterKey->setMaxLength(kMasterKeyDigits);
    meMasterKey->SetHint(kMasterKeyDefault);
    meMasterKey->SetText(kMasterKeyDefault);
    meMasterKey->hide();
    connect(meMasterKey, &QLineEdit::textChanged, this, &TConnectDialog::meMasterKeyChange);

    // The keyboard order is the order of making: the port, the number, then the buttons. The
    // button box passes the focus on to its first button, so it too comes after the boxes.
    RzDialogButtons1 = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    RzDialogButtons1->setObjectName("RzDialogButtons1");
    RzDialogButtons1->setGeometry(5, 198, 245, 30);
    RzDialogButtons1->button(QDialogButtonBox::Ok)->setText("OK");
    RzDialogButtons1->button(QDialogButtonBox::Ok)->setDefault(true);
    RzDialogButtons1->button(QDialogButtonBox::Cancel)->setText(QString::fromUtf8("Отмена"));
    connect(RzDialogButtons1, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(RzDialogButtons1, &QDialogButtonBox::rejected, this, &QDialog::reject);

    ComPorts->setFocus();

    if (owner != nullptr) {
        move(owner->geometry().center() - rect().center());
    }
}

void TConnectDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The window's screen is known once it shows, and it may later move to one of another scale.
    if (QWindow* window = windowHandle()) {
        connect(window, &QWindow::screenChanged, this, &TConnectDialog::DrawPlug,
                Qt::UniqueConnection);
    }
    DrawPlug();
}

void TConnectDialog::DrawPlug() {
    Image1->setPixmap(ConnectPicture(Image1->devicePixelRatioF()));
}

void TConnectDialog::SetPorts(std::vector<TSerialPortInfo> ports) {
    FillPortBox(*ComPorts, std::move(ports));
}

std::string TConnectDialog::PortName() const {
    return PortNameInBox(*ComPorts);
}

void TConnectDialog::RefreshPorts() {
    if (!ListPorts) {
        return;
    }
    std::vector<TSerialPortInfo> ports;
    try {
        ports = ListPorts();
    } catch (const std::exception&) {
        return;
    }
    const std::string chosen = PortName();
    const bool typed = ComPorts->ItemIndex() < 0;
    const QString text = ComPorts->currentText();
    SetPorts(std::move(ports));
    if (typed) {
        ComPorts->setEditText(text);
    } else {
        ShowPort(chosen);
    }
}

void TConnectDialog::ShowPort(const std::string& name) {
    ShowPortInBox(*ComPorts, name);
}

// The saved port is chosen again only when it is present. Otherwise the one USB adapter, if
// there is exactly one, is the likely cable; with none or several the saved text stays, so the
// tool never connects to a port the user did not see chosen.
void TConnectDialog::ChooseSavedPort(const TIniFile& ini) {
    const std::string section = objectName().toStdString();
    std::string saved = ini.ReadString(section, kPortNameKey, "");
    if (saved.empty() && ini.ValueExists(section, "ComPorts")) {
        // A name by hand under the index's key is a name; a bare index of an older file is not
        // trusted, since the ports it counted may not be these.
        const std::string stored = ini.ReadString(section, "ComPorts", "");
        std::int32_t index = 0;
        if (!TryStrToInt(stored, index)) {
            saved = stored;
        }
    }
    ComPorts->SetItemIndex(-1);
    if (!saved.empty() && ComPorts->findData(QString::fromStdString(saved)) >= 0) {
        ShowPort(saved);
        return;
    }
    if (saved.empty() && !ini.ValueExists(section, "ComPorts")) {
        return;
    }
    int usbIndex = -1;
    int usbCount = 0;
    for (int i = 0; i < ComPorts->count(); ++i) {
        if (ComPorts->itemData(i, kPortIsUsbRole).toBool()) {
            usbIndex = i;
            ++usbCount;
        }
    }
    if (usbCount == 1) {
        ComPorts->SetItemIndex(usbIndex);
    } else if (!saved.empty()) {
        ComPorts->setEditText(QString::fromStdString(saved));
    }
}

std::string TConnectDialog::ModuleNumberText() const {
    return etObjN->text().toStdString();
}

void TConnectDialog::LoadFromIni(const TIniFile& ini) {
    LoadFormFromIni(ini, *this);
    ChooseSavedPort(ini);
}

void TConnectDialog::SaveToIni(TIniFile& ini) {
    SaveFormToIni(ini, *this);
    ini.WriteString(objectName().toStdString(), kPortNameKey, PortName());
}

// Keeps the master key at four digits whatever the settings file held.
void TConnectDialog::meMasterKeyChange() {
    QString digits = meMasterKey->Text();
    digits.replace(' ', '0');
    bool ok = false;
    int value = digits.toInt(&ok, 10);
    if (!ok) {
        value = 0;
    }
    meMasterKey->SetText(QString::asprintf("%.4d", value));
}
