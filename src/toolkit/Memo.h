#pragma once
// A multi-line edit with the Windows edit control's text limit, counted in bytes of Shift-JIS
// text (a double-byte character counts two, a line break two). Text that Shift-JIS cannot hold is
// refused wherever it would come in (typing, input methods, paste, drag and drop, undo and redo),
// with a message, so that nothing typed is lost when the text is saved in Shift-JIS.
//
// Bytes of a stored memo that Shift-JIS cannot decode (see Cp932.h) stay in the text as the marks
// that show them, and come back from Text() as the same bytes however the text around them is
// edited. Only text read from a file can hold them: typed or pasted text cannot.

#include <QPlainTextEdit>
#include <string>

#include "graphics/Color.h"
#include "graphics/Font.h"

class QTextCursor;

namespace vlz {

class TMemo : public QPlainTextEdit {
    Q_OBJECT
  public:
    explicit TMemo(QWidget* parent = nullptr);

    // 0 = no limit.
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int bytes) { FMaxLength = bytes; }

    // The whole text, lines separated by CR LF (as the note file keeps them).
    std::string Text() const;
    void SetText(const std::string& text);
    void Clear() { clear(); }
    void AddLine(const std::string& line);

    // The font, its colour the text colour; the background colour of the whole edit area.
    const TFont& Font() const { return FFont; }
    void SetFont(const TFont& font);
    TColor Color() const { return FColor; }
    void SetColor(TColor color);

    // Shift-JIS bytes of the text, line breaks counted as two.
    std::size_t ByteLength() const;

    // Inserts text at the cursor as typing or pasting does: refused with a message when Shift-JIS
    // cannot hold it, cut to what fits under the limit. Returns whether anything was inserted.
    bool InsertTyped(const QString& text);

    // Undo and redo, refused (and taken back) when the text they bring back does not fit.
    void Undo() { StepHistory(true); }
    void Redo() { StepHistory(false); }

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
    QMimeData* createMimeDataFromSelection() const override;

  private:
    // The text between two positions of the document, with the byte carriers of Cp932.h in
    // place of the marks that show them and a line feed between lines.
    QString ExactText(int from, int to) const;
    int EndPosition() const;

    // Inserts over the target's selection under the rules; `carriersAllowed` only for text that
    // this program's own memos put on the clipboard.
    bool Insert(QTextCursor target, const QString& text, bool carriersAllowed);
    // The longest leading part of text that fits in the room left after replacing the selection.
    QString FittingPart(const QString& text, const QTextCursor& target) const;
    void StepHistory(bool backwards);

    void ApplyColors();

    int FMaxLength = 0;
    TFont FFont;
    TColor FColor = clWindow;
};

// Shift-JIS bytes of text as the edit control counts them (line breaks are two bytes, a byte
// carrier the bytes it stands for).
std::size_t EditByteLength(const QString& text);

}  // namespace vlz
