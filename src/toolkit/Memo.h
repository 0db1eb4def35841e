#pragma once
// A multi-line edit with the Windows edit control's text limit, counted in bytes of Shift-JIS
// text (a double-byte character counts two, a line break two). Text that Shift-JIS cannot hold is
// refused where it is typed or pasted, with a message, so that nothing typed is lost when the text
// is saved in Shift-JIS.

#include <QPlainTextEdit>
#include <string>

#include "graphics/Color.h"
#include "graphics/Font.h"

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

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

  private:
    // The longest leading part of text that fits in the room left after replacing the selection.
    QString FittingPart(const QString& text) const;

    void ApplyColors();

    int FMaxLength = 0;
    TFont FFont;
    TColor FColor = clWindow;
};

// Shift-JIS bytes of text as the edit control counts them (line breaks are two bytes).
std::size_t EditByteLength(const QString& text);

}  // namespace vlz
