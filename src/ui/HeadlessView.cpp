#include "ui/HeadlessView.h"

#include "ui/MainLayout.h"

#include <initializer_list>

namespace tervane {

HeadlessView::HeadlessView(int scale)
    : drawing_(layout::kDrawingArea.width, layout::kDrawingArea.height, scale),
      progress_(layout::kProgressStrip.width, layout::kProgressStrip.height),
      levels_(layout::kLevelStrip.width, layout::kLevelStrip.height),
      levelValue_(layout::kLevelDisplay.width, layout::kLevelDisplay.height),
      unseenProgress_(layout::kProgressStrip.width, layout::kProgressStrip.height),
      unseenLevels_(layout::kLevelStrip.width, layout::kLevelStrip.height),
      unseenLevelValue_(layout::kLevelDisplay.width, layout::kLevelDisplay.height),
      record_(drawing_.pixelWidth(), drawing_.pixelHeight()),
      caption_(kProgramTitle)
{
    for (Canvas* strip : std::initializer_list<Canvas*>{&progress_, &levels_, &levelValue_, &unseenProgress_,
                                                        &unseenLevels_, &unseenLevelValue_}) {
        strip->setForeColour(layout::kStripBar);
        strip->setBackColour(layout::kStripBack);
    }
    // No one watches these surfaces while a command draws: what a clear
    // wipes before anything is shown (the network drawn when the file
    // opens, under the Draw's own) is never painted.
    for (QtCanvas* area : {&drawing_, &progress_, &levels_, &levelValue_})
        area->holdPaintingUntilCleared();
}

void HeadlessView::setStatus(const std::string& text, Colour back, Colour fore)
{
    status_ = text;
    statusBack_ = back;
    statusFore_ = fore;
}

} // namespace tervane
