#pragma once
// A label that looks and acts like a hyperlink: a hand cursor, navy underlined text, and a click
// that opens its caption as a web or mail address (see core/OpenLink.h).

#include <QLabel>
#include <functional>
#include <string>

namespace vlz {

class TLinkLabel : public QLabel {
    Q_OBJECT
  public:
    explicit TLinkLabel(QWidget* owner = nullptr);

    std::string Caption() const;
    void SetCaption(const std::string& caption);

    // Runs on every click, before the address is opened.
    std::function<void()> OnClick;

    // What a left click does: the label's own click (OnClick), then the caption is opened with
    // SW_SHOW. Opening never fails loudly.
    virtual void Click();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    bool FPressed = false;
};

}  // namespace vlz
