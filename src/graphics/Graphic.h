#pragma once
// The graphic base classes: objects that can copy themselves into one another (TPersistent), and
// pictures that draw onto a canvas, load and save through streams and the clipboard, and tell
// their owners when they change (TGraphic).

#include <functional>
#include <string>

#include "graphics/Geometry.h"
#include "graphics/Palette.h"
#include "platform/ClipboardHook.h"
#include "platform/Exception.h"
#include "platform/GlobalMemory.h"
#include "platform/Stream.h"

namespace vlz {

class TCanvas;

class TObject {
  public:
    virtual ~TObject() = default;
    virtual std::string ClassName() const { return "TObject"; }
};

using TNotifyEvent = std::function<void(TObject& sender)>;

// A picture that is not valid, or an operation a picture cannot do.
class EInvalidGraphic : public Exception {
  public:
    using Exception::Exception;
};
class EInvalidGraphicOperation : public Exception {
  public:
    using Exception::Exception;
};
// An assignment between two kinds of object that do not know each other.
class EConvertError : public Exception {
  public:
    using Exception::Exception;
};

class TPersistent : public TObject {
  public:
    std::string ClassName() const override { return "TPersistent"; }
    // Copies `source` (which may be null) into this object. The base asks the source to assign
    // itself to this object, and raises EConvertError when neither side knows the other.
    virtual void Assign(const TPersistent* source);
    // Copies this object into `destination`; the base raises EConvertError.
    virtual void AssignTo(TPersistent& destination) const;

  protected:
    [[noreturn]] void AssignError(const TPersistent* source) const;
};

class TGraphic : public TPersistent {
  public:
    std::string ClassName() const override { return "TGraphic"; }

    // Raised whenever the picture changes.
    TNotifyEvent OnChange;

    bool Modified() const { return modified_; }
    // True signals a change (OnChange); false only clears the flag.
    void SetModified(bool value);
    // Set when the picture's palette has been replaced; whoever realises palettes clears it.
    bool PaletteModified() const { return paletteModified_; }
    void SetPaletteModified(bool value) { paletteModified_ = value; }

    // Draws the picture into `rect` of the canvas, stretched to fit, with the canvas's copy mode.
    virtual void Draw(TCanvas& canvas, const TRect& rect) = 0;
    virtual bool GetEmpty() const = 0;
    virtual int GetWidth() const = 0;
    virtual int GetHeight() const = 0;
    virtual void SetWidth(int value) = 0;
    virtual void SetHeight(int value) = 0;
    int Width() const { return GetWidth(); }
    int Height() const { return GetHeight(); }
    bool Empty() const { return GetEmpty(); }

    virtual void LoadFromStream(TStream& stream) = 0;
    virtual void SaveToStream(TStream& stream) = 0;
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName);

    // `data` may be null (nothing on the clipboard in that format); the block and the palette are
    // only read, never freed.
    virtual void LoadFromClipboardFormat(TClipboardFormat format, HGLOBAL data,
                                         HPALETTE palette) = 0;
    // The caller owns the block and the palette it receives (the palette may be null).
    virtual void SaveToClipboardFormat(TClipboardFormat& format, HGLOBAL& data,
                                       HPALETTE& palette) = 0;

  protected:
    // Marks the picture modified and raises OnChange.
    virtual void Changed();

  private:
    bool modified_ = false;
    bool paletteModified_ = false;
};

}  // namespace vlz
