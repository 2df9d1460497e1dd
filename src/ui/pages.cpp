#include "ui/pages.h"

#include "ui/control_ids.h"

int ByteCountRadioForCode(char code) {
    switch (code) {
    case '7': return IdBytes7;
    case '5': return IdBytes5;
    case '4': return IdBytes4;
    case '3': return IdBytes3;
    case '2': return IdBytes2;
    default: return 0;  // there is no 6-byte choice
    }
}
