#include "fConnect.h"

#include <QDialogButtonBox>
#include <QPainter>
#include <QPushButton>
#include <algorithm>

#include "Controls.h"
#include "InputController.h"
#include "fIn.h"

namespace {

const char kMasterKeyMask[] = "!9999;1;_";
const char kMasterKeyDefault[] = "9618";
constexpr int kMasterKeyDigits = 4;

// A small picture of a serial plug for the dialog's corner.
QPixmap DrawPlugIcon() {
    QPixmap icon(41, 38);
    icon.fill(Qt::transparent);
    QPainter p(&icon);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 40, 40), 1.5));
    p.setBrush(QColor(90, 130, 200));
    p.drawRoundedRect(QRectF(4, 10, 33, 18), 5, 5);
    p.setBrush(Qt::white);
    for (int i = 0; i < 5; ++i) {
        p.drawEllipse(QPointF(10 + i * 5.3, 16), 1.6, 1.6);
    }
    for (int i = 0; i < 4; ++i) {
        p.drawEllipse(QPointF(12.5 + i * 5.3, 22), 1.6, 1.6);
    }
    p.setPen(QPen(QColor(40, 40, 40), 2.5));
    p.drawLine(QPointF(20.5, 28), QPointF(20.5, 37));
    return icon;
}

TLabel* MakeLabel(const QString& caption, QWidget* parent, const QRect& geometry) {
    auto* label = new TLabel(caption, parent);
    label->setGeometry(geometry);
    return label;
}

}  // namespace

TFormConnect::TFormConnect(QWidget* owner) : QDialog(owner) {
    setObjectName("FormConnect");
    setWindowTitle(QString());
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
    Image1->setPixmap(DrawPlugIcon());

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

    RzDialogButtons1 = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    RzDialogButtons1->setObjectName("RzDialogButtons1");
    RzDialogButtons1->setGeometry(5, 198, 245, 30);
    RzDialogButtons1->button(QDialogButtonBox::Ok)->setText("OK");
    RzDialogButtons1->button(QDialogButtonBox::Ok)->setDefault(true);
    RzDialogButtons1->button(QDialogButtonBox::Cancel)->setText("Cancel");
    connect(RzDialogButtons1, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(RzDialogButtons1, &QDialogButtonBox::rejected, this, &QDialog::reject);

    ComPorts = new TComboBox(this);
    ComPorts->setObjectName("ComPorts");
    ComPorts->setEditable(true);
    ComPorts->setGeometry(96, 52, 144, 21);

    etObjN = new TEdit(this);
    etObjN->setObjectName("etObjN");
    etObjN->setGeometry(96, 80, 57, 21);
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
    connect(meMasterKey, &QLineEdit::textChanged, this, &TFormConnect::meMasterKeyChange);

    if (owner != nullptr) {
        move(owner->geometry().center() - rect().center());
    }
}

void TFormConnect::SetPortNames(const std::vector<std::string>& names) {
    QStringList items;
    for (const std::string& name : names) {
        items << QString::fromStdString(name);
    }
    std::sort(items.begin(), items.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    ComPorts->clear();
    ComPorts->addItems(items);
    ComPorts->SetItemIndex(-1);
}

std::string TFormConnect::PortName() const {
    return ComPorts->currentText().toStdString();
}

std::string TFormConnect::ModuleNumberText() const {
    return etObjN->text().toStdString();
}

void TFormConnect::LoadFromIni(const TIniFile& ini) {
    LoadFormFromIni(ini, *this);
}

void TFormConnect::SaveToIni(TIniFile& ini) {
    SaveFormToIni(ini, *this);
}

// Keeps the master key at four digits whatever the settings file held.
void TFormConnect::meMasterKeyChange() {
    QString digits = meMasterKey->Text();
    digits.replace(' ', '0');
    bool ok = false;
    int value = digits.toInt(&ok, 10);
    if (!ok) {
        value = 0;
    }
    meMasterKey->SetText(QString::asprintf("%.4d", value));
}
