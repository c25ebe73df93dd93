#include "app/wizard_buttons.h"

#include "app/wizard_view.h"

namespace {

constexpr int32_t kMaxPortNumber = 255;

constexpr const char16_t* kNextText = u"&Next";
constexpr const char16_t* kFinishText = u"&Finish";

bool isPortNumber(int32_t data) {
    return data >= 0 && data <= kMaxPortNumber;
}

} // namespace

ButtonStates buttonStates(const PageChoices& shown) {
    ButtonStates states{
        .nextText = kNextText,
        .next = shown.page <= SuccessPage,
        .previous = shown.page > WelcomePage && shown.page != SuccessPage,
        .cancel = shown.page != SuccessPage,
    };
    switch (shown.page) {
    case PortPage:
        states.next = isPortNumber(shown.portItem);
        break;
    case OutputPage:
        states.next = shown.hasOutputFile;
        break;
    case ConnectingPage:
    case TransferPage:
        // The run decides when these pages are left; Cancel alone stops it.
        states.next = false;
        states.previous = false;
        break;
    case SuccessPage:
        states.nextText = kFinishText;
        break;
    default:
        break;
    }
    return states;
}
