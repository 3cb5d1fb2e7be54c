#pragma once
#include "engine/base/Canvas.h"
#include "engine/base/Colour.h"

#include <string>

namespace tervane {

// What the engine's main-window commands draw on and tell. The main window
// implements it with its widgets; the headless command line with images.
class MainView {
public:
    virtual ~MainView() = default;

    virtual Canvas& drawingArea() = 0;    // Picture1
    virtual Canvas& progressStrip() = 0;  // Picture2
    virtual Canvas& levelStrip() = 0;     // Picture4
    virtual Canvas& levelDisplay() = 0;   // Picture5

    virtual void setCaption(const std::string& text) = 0;
    virtual std::string caption() const = 0;
    // The status box Text1.
    virtual void setStatus(const std::string& text, Colour back, Colour fore) = 0;
    virtual std::string status() const = 0;
    // A notice of the program's own that needs no answer (what was written
    // where, why something was refused): the window's status bar, not a box.
    virtual void showNotice(const std::string& text) = 0;

    // Whether what a network build draws will be seen. A headless render
    // draws its map from a clear straight after the build, so the build's
    // live drawing (triangles, marks, labels, frame) would be wiped unseen
    // and is left out; in the window it is the user's progress feedback.
    virtual bool buildShown() const { return true; }

    // Unload the main window and show the record editor in its place.
    virtual void openRecordEditor() = 0;
};

} // namespace tervane
