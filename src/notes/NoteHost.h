#pragma once
// What a note window needs of the program that keeps it: its character by catalogue index, the
// program's actions for its menu, the properties dialog, and the list of notes that decides
// whether it may close. The main controller is the host; a test can be another.

class QAction;
class QWidget;

namespace vlz {

class TSprite;
class TZozedForm;
class TZozedPropForm;

// The program's actions that every note's menu shows beside its own items; the host creates each
// once, so every entry point runs the same handler.
struct TNoteActions {
    QAction* NewAction = nullptr;
    QAction* HideAction = nullptr;
    QAction* ConfigAction = nullptr;
    QAction* AboutAction = nullptr;
    QAction* ExitAction = nullptr;
};

class TNoteHost {
  public:
    virtual ~TNoteHost() = default;

    // The character at index; the catalogue's first for an index outside it. The host keeps
    // ownership.
    virtual TSprite* CharacterAt(int index) const = 0;
    virtual TNoteActions NoteActions() const = 0;
    // The one properties dialog, or nullptr while there is none.
    virtual TZozedPropForm* ZozedPropForm() const = 0;
    // Takes the note out of the list at once; the window itself goes once the current event is
    // done.
    virtual void RemoveNote(TZozedForm* note) = 0;
    // Whether the window is a listed note: a listed note refuses to close.
    virtual bool IsNote(const QWidget* window) const = 0;
    // Something of the note that is saved has changed: its memo's text, font or colour, its
    // character or its place. Called on every keystroke, so it must cost next to nothing.
    virtual void NoteChanged(TZozedForm* note) = 0;
};

}  // namespace vlz
