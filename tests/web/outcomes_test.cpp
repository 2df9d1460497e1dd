// SPDX-License-Identifier: Apache-2.0
// The page and vireo4 read every outcome the same, in both languages.
#include <doctest/doctest.h>

#include <string>

#include "core/family.h"
#include "core/status.h"
#include "web/face_support.h"
#include "web/page_texts.h"

namespace {

std::string PageStatusText(const std::string& word, int language) {
    const std::string json = Take(vw_status_text(Bytes(word), Length(word), language));
    const std::string lead = "{\"text\":\"";
    REQUIRE(json.compare(0, lead.size(), lead) == 0);
    return json.substr(lead.size(), json.size() - lead.size() - 2);
}

}  // namespace

TEST_CASE("every status reads on the page as vireo4 words it, and the page's own names for them agree") {
    for (int language : {kRussian, kEnglish}) {
        for (int i = 0; i < static_cast<int>(Status::Count); ++i) {
            const Status status = static_cast<Status>(i);
            CAPTURE(StatusWord(status));
            CHECK(PageStatusText(StatusWord(status), language) == StatusText(language, status));
        }
        CHECK(PageTextIn(language, PageText::Busy) == StatusText(language, Status::PortBusy));
        CHECK(PageTextIn(language, PageText::Denied) == StatusText(language, Status::PortDenied));
        CHECK(PageTextIn(language, PageText::OpenFailed) == StatusText(language, Status::PortError));
        CHECK(PageTextIn(language, PageText::IoError) == StatusText(language, Status::IoError));
        CHECK(PageTextIn(language, PageText::Unconfirmed) == StatusText(language, Status::Unconfirmed));
        // A word the page does not know reads as a port that cannot be opened.
        CHECK(PageStatusText("no-such-word", language) == StatusText(language, Status::PortError));
    }
}

TEST_CASE("the engine through the page's calls: a request, its actions, and an outcome in both languages") {
    VwEngine* engine = vw_engine_read(0, 700);
    CHECK(Has(Take(vw_engine_next(engine, 0)), "action", "\"listen\""));
    vw_engine_heard(engine, nullptr, 0, 0);
    CHECK(Has(Take(vw_engine_next(engine, 0)), "bytes", "\"AT+READS_KRX\""));
    vw_engine_sent(engine, 0, 0);
    const std::string reply = "\n\rAT+READS_KRU - OK! >> 1.10TMX1DO";
    vw_engine_heard(engine, Bytes(reply), Length(reply), 30);
    const std::string done = Take(vw_engine_next(engine, 30));
    CHECK(Has(done, "action", "\"done\""));
    CHECK(Has(done, "outcome", "{\"status\":\"ok\""));
    CHECK(Has(done, "chars", "\"TMX1DO\""));
    vw_engine_end(engine);

    // A write that went unanswered: unconfirmed, with why, in both languages.
    engine = vw_engine_write(0, Bytes("W261DO"), 6, 700);
    long long now = 0;
    bool done2 = false;
    for (int step = 0; step < 100 && !done2; ++step) {
        const std::string action = Take(vw_engine_next(engine, static_cast<double>(now)));
        if (Has(action, "action", "\"done\"")) {
            done2 = true;
            CHECK(Has(action, "outcome", "{\"status\":\"unconfirmed\""));
            CHECK(action.find("written, not confirmed: read the reader again (The reader did not respond!)") !=
                  std::string::npos);
            CHECK(action.find(u8"записано, но не подтверждено") != std::string::npos);
            CHECK(Has(action, "changed", "null"));
        } else if (Has(action, "action", "\"send\"")) {
            vw_engine_sent(engine, 0, static_cast<double>(now));
        } else {
            now += 700;
            vw_engine_heard(engine, nullptr, 0, static_cast<double>(now));
        }
    }
    CHECK(done2);
    vw_engine_end(engine);
}
