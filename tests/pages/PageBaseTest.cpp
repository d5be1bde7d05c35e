// The page base: form names, the control walk, and the load, save, clear and default
// rules of each control kind.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QSignalSpy>
#include <QTest>
#include <memory>

#include "PageTestSupport.h"
#include "ini/IniFile.h"
#include "pages/PageBase.h"
#include "widgets/InputController.h"
#include "widgets/StoredControls.h"

namespace {

// A page with one control of every kind, some of them nested in group boxes.
class TSampleForm : public TPageBase {
  public:
    explicit TSampleForm(const QString& designName = QStringLiteral("FormSample"))
        : TPageBase(nullptr, designName) {
        auto* outer = new QGroupBox(this);
        auto* inner = new QGroupBox(outer);
        edit = Make<TEdit>(inner, "edit", "hint-text");
        edit->setText(QStringLiteral("typed"));
        spin = Make<TSpinEdit>(this, "spin", "42");
        spin->setValue(7);
        check = Make<TCheckBox>(outer, "check", "1");
        check->setChecked(true);
        radio = Make<TRadioButton>(inner, "radio", "TRUE");
        otherRadio = Make<TRadioButton>(inner, "otherRadio", "false");
        otherRadio->setChecked(true);
        combo = Make<TComboBox>(this, "combo", "beta");
        combo->addItems({QStringLiteral("Alpha"), QStringLiteral("Beta"), QStringLiteral("Gamma")});
        combo->setCurrentIndex(2);
        masked = Make<TMaskEdit>(outer, "masked", "9618");
        masked->SetEditMask(QStringLiteral("!9999;1;_"));
        masked->SetText(QStringLiteral("1234"));
        label = Make<TLabel>(this, "label", "");
    }

    template <typename T>
    T* Make(QWidget* parent, const char* name, const char* hint) {
        auto* control = new T(parent);
        control->setObjectName(QString::fromLatin1(name));
        control->SetHint(QString::fromLatin1(hint));
        return control;
    }

    TEdit* edit;
    TSpinEdit* spin;
    TCheckBox* check;
    TRadioButton* radio;
    TRadioButton* otherRadio;
    TComboBox* combo;
    TMaskEdit* masked;
    TLabel* label;
};

TEST(FormNames, AFormIsNamedByItsDerivedPageAloneWhateverElseLives) {
    auto first = std::make_unique<TSampleForm>(QStringLiteral("FormRelay"));
    auto second = std::make_unique<TSampleForm>(QStringLiteral("FormRelay"));
    EXPECT_EQ(first->Name(), QStringLiteral("FormRelay"));
    EXPECT_EQ(second->Name(), QStringLiteral("FormRelay"));
    EXPECT_EQ(TPageBase().Name(), QStringLiteral("formIncl"));
}

TEST(ControlWalk, ListsOwnedControlsInCreationOrderAtAnyDepth) {
    TSampleForm form;
    std::vector<QString> names;
    for (QWidget* c : OwnedControls(form)) {
        names.push_back(c->objectName());
    }
    EXPECT_EQ(names, (std::vector<QString>{"edit", "spin", "check", "radio", "otherRadio", "combo",
                                           "masked", "label"}));

    // Created later inside an earlier group: still walked after the earlier controls.
    TPageBase late;
    auto* groupA = new QGroupBox(&late);
    auto* groupB = new QGroupBox(&late);
    auto* inB = new TEdit(groupB);
    auto* inA = new TEdit(groupA);
    EXPECT_EQ(OwnedControls(late), (std::vector<QWidget*>{inB, inA}));
}

TEST(ControlWalk, MaskedAndSpinEditsAreNoSingleLineEdits) {
    TSampleForm form;
    EXPECT_EQ(dynamic_cast<TEdit*>(static_cast<QWidget*>(form.masked)), nullptr);
    EXPECT_EQ(dynamic_cast<TEdit*>(static_cast<QWidget*>(form.spin)), nullptr);
}

class PageBaseFileTest : public ::testing::Test {
  protected:
    TScratchFolder m_folder{::testing::UnitTest::GetInstance()->current_test_info()->name()};
    TSampleForm m_form;
};

TEST_F(PageBaseFileTest, MissingFileOrSectionUnchecksBoxesAndSetsMaskedEditsToTheirHint) {
    m_folder.Write("other.ini", "[SomethingElse]\nedit=x\ncheck=1\n");
    for (const char* name : {"missing.ini", "other.ini"}) {
        TSampleForm form;
        form.LoadFromIni(TIniFile(m_folder.Path(name)));
        EXPECT_EQ(form.edit->text(), QStringLiteral("typed")) << name;
        EXPECT_EQ(form.spin->value(), 7) << name;
        EXPECT_FALSE(form.check->isChecked()) << name;
        EXPECT_TRUE(form.otherRadio->isChecked()) << name;
        EXPECT_EQ(form.combo->ItemIndex(), 2) << name;
        EXPECT_EQ(form.masked->Text(), QStringLiteral("9618")) << name;
    }
}

TEST_F(PageBaseFileTest, AnEmptyValueEmptiesAnEditButNotASpinEdit) {
    const auto path = m_folder.Write("f.ini", "[FormSample]\nEDIT=\nspin=\n");
    m_form.LoadFromIni(TIniFile(path));
    EXPECT_EQ(m_form.edit->text(), QString());
    EXPECT_EQ(m_form.spin->value(), 7);
}

TEST_F(PageBaseFileTest, ComboIndexRules) {
    struct TCase {
        const char* Stored;
        int Expected;
    } const cases[] = {{"1", 1}, {"0x01", 1}, {"3", -1}, {"-1", -1}, {"abc", 2}, {"", 2}};
    for (const auto& c : cases) {
        m_form.combo->setCurrentIndex(2);
        const auto path = m_folder.Write("f.ini", std::string("[FormSample]\ncombo=") + c.Stored);
        m_form.LoadFromIni(TIniFile(path));
        EXPECT_EQ(m_form.combo->ItemIndex(), c.Expected) << "stored '" << c.Stored << "'";
    }
}

TEST_F(PageBaseFileTest, BooleansAndRadioButtons) {
    const auto path = m_folder.Write("f.ini", "[FormSample]\nradio=1\nOTHERRADIO=0\ncheck=0x0\n");
    m_form.LoadFromIni(TIniFile(path));
    EXPECT_TRUE(m_form.radio->isChecked());
    EXPECT_FALSE(m_form.otherRadio->isChecked());
    EXPECT_FALSE(m_form.check->isChecked());
    // A radio button's missing key leaves it; a bad value keeps the current state too.
    const auto path2 = m_folder.Write("g.ini", "[FormSample]\nradio=yes\n");
    m_form.LoadFromIni(TIniFile(path2));
    EXPECT_TRUE(m_form.radio->isChecked());
}

TEST_F(PageBaseFileTest, LoadRunsTheChangeEventOfEdits) {
    QSignalSpy changes(m_form.edit, &QLineEdit::textChanged);
    const auto path = m_folder.Write("f.ini", "[FormSample]\nedit=\"quoted\"\n");
    m_form.LoadFromIni(TIniFile(path));
    EXPECT_EQ(m_form.edit->text(), QStringLiteral("quoted"));
    EXPECT_EQ(changes.count(), 1);
}

TEST_F(PageBaseFileTest, SavesEveryKindInWalkOrderAndLoadsItBack) {
    m_form.combo->setCurrentIndex(-1);
    m_form.masked->SetText(QStringLiteral("12"));
    const auto path = m_folder.Path("save.ini");
    {
        TIniFile ini(path);
        m_form.SaveToIni(ini);
        ini.UpdateFile();
    }
    EXPECT_EQ(FileContents(path),
              "[FormSample]\r\nedit=typed\r\nspin=7\r\ncheck=1\r\nradio=0\r\notherRadio=1\r\n"
              "combo=-1\r\nmasked=  12\r\n");
    TSampleForm other(QStringLiteral("FormSample"));
    other.setObjectName(m_form.Name());
    other.edit->clear();
    other.check->setChecked(false);
    other.LoadFromIni(TIniFile(path));
    EXPECT_EQ(other.edit->text(), QStringLiteral("typed"));
    EXPECT_TRUE(other.check->isChecked());
    EXPECT_EQ(other.combo->ItemIndex(), -1);
    EXPECT_EQ(other.masked->Text(), QStringLiteral("  12"));
}

TEST_F(PageBaseFileTest, AFailedSaveReachesTheCaller) {
    TIniFile ini(m_folder.Path("no-folder/f.ini"));
    m_form.SaveToIni(ini);
    EXPECT_THROW(ini.UpdateFile(), EIniFileError);
}

TEST(PageBaseDefaults, EachControlTakesItsHintAndABadHintSpoilsOnlyItsControl) {
    TSampleForm form;
    form.check->SetHint(QString());  // no Boolean: the box keeps its state
    form.check->setChecked(true);
    form.label->setText(QStringLiteral("label text"));
    form.SetDefaults();
    EXPECT_EQ(form.edit->text(), QStringLiteral("hint-text"));
    EXPECT_EQ(form.spin->value(), 42);
    EXPECT_TRUE(form.check->isChecked());
    EXPECT_TRUE(form.radio->isChecked());
    EXPECT_FALSE(form.otherRadio->isChecked());
    EXPECT_EQ(form.combo->ItemIndex(), 1);  // "beta" matches "Beta"
    EXPECT_EQ(form.masked->Text(), QStringLiteral("1234"));
    EXPECT_EQ(form.label->text(), QStringLiteral("label text"));

    struct TCase {
        const char* Hint;
        bool Before;
        bool After;
    } const cases[] = {{"0", true, false},    {"5", false, true},     {"-1", false, true},
                       {"TrUe", false, true}, {"FALSE", true, false}, {"yes", true, true},
                       {"yes", false, false}, {"", true, true}};
    for (const auto& c : cases) {
        form.check->SetHint(QString::fromLatin1(c.Hint));
        form.check->setChecked(c.Before);
        form.SetDefaults();
        EXPECT_EQ(form.check->isChecked(), c.After) << "hint '" << c.Hint << "'";
    }
    form.combo->SetHint(QStringLiteral("delta"));
    form.SetDefaults();
    EXPECT_EQ(form.combo->ItemIndex(), -1);
}

TEST(PageBaseMarks, ClearEmptiesAndUnmarksClearMarksOnlyUnmarks) {
    for (const bool full : {true, false}) {
        TSampleForm form;
        QFont bold = form.edit->font();
        bold.setBold(true);
        bold.setUnderline(true);
        for (QWidget* w : std::initializer_list<QWidget*>{form.edit, form.spin, form.check,
                                                          form.radio, form.label}) {
            w->setFont(bold);
        }
        form.label->SetFontColor(Qt::red);
        form.check->setText(QStringLiteral("!"));
        form.radio->setText(QStringLiteral("!"));
        form.otherRadio->setText(QStringLiteral("keep"));
        if (full) {
            form.Clear();
        } else {
            form.ClearMarks();
        }
        for (QWidget* w : std::initializer_list<QWidget*>{form.edit, form.spin, form.check,
                                                          form.radio, form.label}) {
            EXPECT_TRUE(HasNormalFontStyle(*w)) << w->objectName().toStdString();
        }
        EXPECT_EQ(form.label->FontColor(), QApplication::palette().color(QPalette::WindowText));
        EXPECT_EQ(form.check->text(), QString());
        EXPECT_EQ(form.radio->text(), QString());
        EXPECT_EQ(form.otherRadio->text(), QStringLiteral("keep"));
        EXPECT_EQ(form.edit->text(), full ? QString() : QStringLiteral("typed"));
        EXPECT_EQ(form.check->isChecked(), !full);
        EXPECT_EQ(form.spin->value(), 7);
        EXPECT_EQ(form.masked->Text(), QStringLiteral("1234"));
        EXPECT_EQ(form.combo->ItemIndex(), 2);
    }
}

TEST(Controls, DigitFilterKeepsDigitsAndBackspaceOnly) {
    TEdit edit;
    edit.OnKeyPress = [](QChar& key) { TInputController::FilterDigitKey(key); };
    QTest::keyClicks(&edit, QStringLiteral("a1b-2 3."));
    EXPECT_EQ(edit.text(), QStringLiteral("123"));
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(edit.text(), QStringLiteral("12"));
    QTest::keyClick(&edit, Qt::Key_Home);
    QTest::keyClick(&edit, Qt::Key_Delete);
    EXPECT_EQ(edit.text(), QStringLiteral("2"));
    // Ctrl+V is the paste command, not a "v" typed: an empty clipboard adds nothing.
    QApplication::clipboard()->clear();
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit.text(), QStringLiteral("2"));
}

TEST(Controls, AKeyPressHandlerMayChangeTheCharacter) {
    TEdit edit;
    edit.OnKeyPress = [](QChar& key) { key = key.toUpper(); };
    QTest::keyClicks(&edit, QStringLiteral("ab"));
    EXPECT_EQ(edit.text(), QStringLiteral("AB"));
}

TEST(Controls, MaskedEditReportsEveryPositionWithBlanksLeading) {
    struct TCase {
        const char* Set;
        const char* Reported;
    } const cases[] = {{"9618", "9618"}, {"0012", "0012"}, {"12", "  12"},
                       {"ab", "    "},   {"", "    "},     {"123456", "1234"}};
    for (const auto& c : cases) {
        TMaskEdit edit;
        edit.SetEditMask(QStringLiteral("!9999;1;_"));
        edit.SetText(QString::fromLatin1(c.Set));
        EXPECT_EQ(edit.Text(), QString::fromLatin1(c.Reported)) << "set '" << c.Set << "'";
    }
    TMaskEdit edit;
    edit.SetEditMask(QStringLiteral("9999;1;_"));
    edit.SetText(QStringLiteral("12"));
    EXPECT_EQ(edit.Text(), QStringLiteral("12  "));
}

TEST(Controls, MaskedEditSetToItsOwnTextDoesNotChange) {
    TMaskEdit edit;
    edit.SetEditMask(QStringLiteral("!9999;1;_"));
    edit.SetText(QStringLiteral("0012"));
    QSignalSpy changes(&edit, &QLineEdit::textChanged);
    edit.SetText(QStringLiteral("0012"));
    EXPECT_EQ(changes.count(), 0);
}

}  // namespace
