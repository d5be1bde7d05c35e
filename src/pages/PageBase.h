// The page base: an embeddable form with the five page operations, and the settings-file walks.
#pragma once

#include <QScrollArea>
#include <QWidget>
#include <string>
#include <utility>
#include <vector>

#include "model/ModuleSettingsIni.h"
#include "pages/PageInterfaces.h"

class QLineEdit;
class TIniFile;

// A borderless form that fills its host. Its name is its section in a settings file: the page
// that derives from it names itself ("FormCommon", a relay page after its number).
class TPageBase : public QWidget, public IDefaultable, public IIniStorable, public IClearable {
    Q_OBJECT
  public:
    explicit TPageBase(QWidget* parent = nullptr);
    ~TPageBase() override;

    QString Name() const { return objectName(); }
    // The page's caption, which the page tree shows.
    QString Caption() const { return windowTitle(); }
    void SetCaption(const QString& caption) { setWindowTitle(caption); }

    // Fills the form and scrolls its content when the host is smaller than the page.
    QScrollArea* ScrollArea;
    // The widget inside ScrollArea that holds a page's scrolled controls.
    QWidget* ScrolledContent() const { return ScrollArea->widget(); }

    void Clear() override;
    void ClearMarks() override;
    // The form's named controls, one key each (LoadFormFromIni, SaveFormToIni); the pages of the
    // module store their settings through the model instead.
    void LoadFromIni(const TIniFile& ini) override;
    void SaveToIni(TIniFile& ini) override;
    void SetDefaults() override;

    // A value the last load replaced because the page cannot show it: the log's line, in the
    // file's key names, and the same in the page's words for the user.
    struct TLoadReplacement {
        std::string LogLine;
        std::string Text;
        bool operator==(const TLoadReplacement&) const = default;
    };
    // What the last load replaced, one each; taking them empties the list.
    std::vector<TLoadReplacement> TakeLoadReplacements() {
        return std::exchange(m_loadReplacements, {});
    }

  signals:
    // The user changed the page's values: a cell stepped, a row filled, an edit finished. `step`
    // names the change in the page's words ("Реле 2, Зоны, Тревоги, Все").
    void ValuesEdited(const QString& step);

  protected:
    TPageBase(QWidget* parent, const QString& sectionName);
    // Notes a value of the file that the page replaced, for the log and in the page's words.
    // An edit's typing is finished: says so as one step named "<page>, <label>", and leaves the
    // edit's own undo to typing that follows.
    void FinishEdit(QLineEdit& edit, const QString& label);
    void NoteLoadReplacement(const TIniFile& ini, const TSettingsReplacement& replacement);

  private:
    std::vector<TLoadReplacement> m_loadReplacements;
};

// The controls a form owns at any depth, in the order they were created, skipping those of
// forms nested in it.
std::vector<QWidget*> OwnedControls(QWidget& form);

// Section: the form's name; key: each control's name.
void LoadFormFromIni(const TIniFile& ini, QWidget& form);
// Throws EIniFileError when the file cannot be written; keys written before stay.
void SaveFormToIni(TIniFile& ini, QWidget& form);
