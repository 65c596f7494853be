// The information box of a picked body: its Korean name as the caption and
// six lines of figures (radius, mass, density, gravity, rotation, orbit).
// Texts are UTF-8, which is what the message boxes of this platform take.
#include "picking/body_info.h"

#include "picking/picking.h"
#include "scene/scene.h"
#include "shell/shell.h"

namespace {

struct BodyInfo {
    int32_t bodyId;
    const char* caption;
    const char* text;
};

// Each text: label " : " value, six lines joined by "\n", none after the last.
#define HELIORA_INFO(radius, mass, density, gravity, rotation, orbit)              \
    "반지름(Km) : " radius "\n질량(10*24승 Kg) : " mass "\n밀도(g/cm3) : " density \
    "\n중력(지구=1) : " gravity "\n자전주기 : " rotation "\n공전주기 : " orbit

const BodyInfo kBodyInfo[] = {
    {kSunId, "태양", HELIORA_INFO("695,500", "1,989,000", "1.41", "28", "25.4일", "-")},
    {kMercuryId, "수성", HELIORA_INFO("2439.7", "0.330", "5.43", "0.38", "58.6일", "88.0일")},
    {kVenusId, "금성", HELIORA_INFO("6051.8", "4.87", "5.24", "0.91", "243일", "224.7일")},
    {kEarthId, "지구", HELIORA_INFO("6378.1", "5.97", "5.52", "1.00", "23.93시간", "365.24일")},
    {kMarsId, "화성", HELIORA_INFO("3397", "0.642", "3.93", "0.38", "24.62시간", "1.88년")},
    {kJupiterId, "목성", HELIORA_INFO("71492", "1899", "1.33", "2.14", "9.93시간", "11.86년")},
    {kSaturnId, "토성", HELIORA_INFO("60268", "568", "0.69", "0.74", "10.7시간", "29.4년")},
    {kUranusId, "천왕성", HELIORA_INFO("25559", "86.8", "1.27", "0.86", "17.2시간", "84.0년")},
    {kNeptuneId, "해왕성", HELIORA_INFO("24764", "102", "1.64", "1.10", "16.1시간", "164.8년")},
    {kPlutoId, "명왕성", HELIORA_INFO("1151", "0.013", "2.0", "0.08", "6.4일", "247.9년")},
};

#undef HELIORA_INFO

constexpr const char* kUnknownText = "What?";
constexpr const char* kUnknownCaption = "Selection";

// Hit record layout: name count, minimum depth, maximum depth, then the names.
constexpr int kNameCountWord = 0;
constexpr int kFirstNameWord = 3;

}  // namespace

bool FindBodyInfo(int32_t bodyId, const char** caption, const char** text) {
    for (const BodyInfo& info : kBodyInfo) {
        if (info.bodyId == bodyId) {
            *caption = info.caption;
            *text = info.text;
            return true;
        }
    }
    *caption = kUnknownCaption;
    *text = kUnknownText;
    return false;
}

int32_t ShowBodyInfo(const GLuint* hitBuffer) {
    const char* caption = kUnknownCaption;
    const char* text = kUnknownText;
    // A nameless first record (a ring) never has the word after it read as a name.
    if (hitBuffer[kNameCountWord] >= 1) {
        GLuint name = hitBuffer[kFirstNameWord];
        if (name <= static_cast<GLuint>(INT32_MAX))
            FindBodyInfo(static_cast<int32_t>(name), &caption, &text);
    }
    return PlatMessageBox(WindowContext.window, text, caption, MB_OK);
}
