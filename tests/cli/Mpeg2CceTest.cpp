// mpeg2-cce run as a program on a 50-frame clip made with ffmpeg: 25 identical grey frames,
// then 25 frames of grain that changes every frame. Skipped where ffmpeg is not installed.

#include "support/TempFolder.h"

#include "common/Format.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <memory>

namespace {

std::string shellQuoted(const std::string &arg)
{
    std::string result = "'";
    for (char c : arg)
        result += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return result + "'";
}

bool ffmpegInstalled()
{
    return std::system("ffmpeg -version >/dev/null 2>&1 && ffprobe -version >/dev/null 2>&1") == 0;
}

struct Item {
    std::string script; // the script's lines after the source line
    long long qFactor;
    int gopLength;      // 0: no gop_hdr= line
    std::string source; // empty: the test clip
};

Item item(const std::string &script, long long qFactor = 40, int gopLength = 15, const std::string &source = {})
{
    return {script, qFactor, gopLength, source};
}

struct Encoded {
    int status = -1;
    std::string err;
    std::string bytes; // the output, "<missing>" when there is none
};

// What an MPEG-2 video stream holds: pictures, GOP headers, and whether every GOP is closed.
struct StreamCounts {
    int pictures = 0;
    int gops = 0;
    bool allClosed = true;
};

StreamCounts countStream(const std::string &bytes)
{
    StreamCounts counts;
    for (std::size_t i = 0; i + 7 < bytes.size(); ++i) {
        if (bytes[i] != 0 || bytes[i + 1] != 0 || bytes[i + 2] != 1)
            continue;
        const unsigned char code = static_cast<unsigned char>(bytes[i + 3]);
        if (code == 0x00)
            ++counts.pictures;
        if (code == 0xB8) {
            ++counts.gops;
            // 25 bits of time code, then closed_gop
            counts.allClosed = counts.allClosed && (static_cast<unsigned char>(bytes[i + 7]) & 0x40);
        }
    }
    return counts;
}

class Mpeg2Cce : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!ffmpegInstalled())
            return;
        s_folder = std::make_unique<TempFolder>();
        s_clip = s_folder->file("clip.avi");
        const std::string graph =
            "color=c=gray:s=64x48:r=25,trim=end_frame=25,setpts=N/25/TB[a];"
            "testsrc2=s=64x48:r=25,noise=alls=40:allf=t,trim=end_frame=25,setpts=N/25/TB[b];"
            "[a][b]concat=n=2:v=1:a=0,setpts=N/25/TB,format=yuvj420p[v]";
        const std::string command = "ffmpeg -nostdin -v error -y -filter_complex " + shellQuoted(graph) +
                                    " -map '[v]' -c:v mjpeg -q:v 3 -f avi " + shellQuoted(s_clip);
        if (std::system(command.c_str()) != 0)
            s_clip.clear();
    }
    static void TearDownTestSuite() { s_folder.reset(); }

    void SetUp() override
    {
        if (!s_folder)
            GTEST_SKIP() << "ffmpeg is not installed here (apt-get install ffmpeg): mpeg2-cce is not run";
        ASSERT_FALSE(s_clip.empty()) << "ffmpeg could not make the test clip";
    }

    // Writes each item's script and a list of them (shaped like a sample list: a first line, an
    // empty line, then the items) and runs mpeg2-cce on it. Returns the output of each item.
    std::vector<Encoded> encode(const std::vector<Item> &items)
    {
        std::string list = crlf({"[item]", ""});
        for (std::size_t i = 0; i < items.size(); ++i) {
            const Item &it = items[i];
            const std::string script = m_work.write(
                cformat("item%d.avs", int(i)),
                "FFVideoSource(\"" + (it.source.empty() ? s_clip : it.source) + "\")\r\nUndot()\r\n" +
                    it.script + "\r\n# the end\r\n");
            list += crlf({"[item]", cformat("title=V01000100001%03d", int(i) + 1), "name=" + script,
                          "vid_file0=" + m_work.file(cformat("item%d.m2v", int(i))),
                          cformat("opv_q_factor=%lld", it.qFactor)});
            if (it.gopLength > 0)
                list += crlf({cformat("gop_nm=%d", it.gopLength / 3), cformat("gop_hdr=%d", it.gopLength)});
            // an output left from before must not survive a failed encode
            m_work.write(cformat("item%d.m2v", int(i)), "stale");
        }
        const std::string listPath = m_work.write("list.ecl", list);
        const std::string command = shellQuoted(TAVRO_MPEG2_CCE) + " -ecl " + shellQuoted(listPath) + " -batch 2>" +
                                    shellQuoted(m_work.file("err"));
        const int status = std::system(command.c_str());
        std::vector<Encoded> results;
        for (std::size_t i = 0; i < items.size(); ++i)
            results.push_back({WIFEXITED(status) ? WEXITSTATUS(status) : -1, readBytes(m_work.file("err")),
                               readBytes(m_work.file(cformat("item%d.m2v", int(i))))});
        return results;
    }

    Encoded encodeOne(const Item &item) { return encode({item}).front(); }

    TempFolder m_work;
    static inline std::unique_ptr<TempFolder> s_folder;
    static inline std::string s_clip;
};

TEST_F(Mpeg2Cce, EncodesTheFramesItsScriptPicks)
{
    const struct {
        const char *name;
        const char *script;
        int pictures;
    } cases[] = {
        {"a Trim inside the clip", "Trim(10, 14)", 5},
        {"a Trim to the end", "Trim(45, 0)", 5},
        {"a Trim by frame count", "Trim(3, -4)", 4},
        {"a Trim past the end", "Trim(40, 99)", 10},
        {"a sample of the whole clip", "SelectRangeEvery(10, 3)", 15},
        // 40 frames: three whole periods of 12 and 4 frames left, all of a run
        {"trimmed, then sampled", "Trim(5, 44)\r\nSelectRangeEvery(12, 4)", 16},
        // frames 0-3, 20-23, 40-43, then the 3rd to 6th of those
        {"sampled, then trimmed", "SelectRangeEvery(20, 4)\r\nTRIM(2, 5)", 4},
    };
    // all in one list: every item gets its own output
    std::vector<Item> items;
    for (const auto &c : cases)
        items.push_back(item(c.script));
    const std::vector<Encoded> out = encode(items);
    ASSERT_EQ(out[0].status, 0) << out[0].err;
    for (std::size_t i = 0; i < items.size(); ++i)
        EXPECT_EQ(countStream(out[i].bytes).pictures, cases[i].pictures) << cases[i].name;
}

TEST_F(Mpeg2Cce, ATrimStartsExactlyAtTheFrameItNames)
{
    // Frames 0-24 are the same grey picture, so any five of them encode to the same bytes; a
    // seek one frame off would take in frame 25, the first grainy one.
    const std::vector<Encoded> out = encode({item("Trim(0, 4)"), item("Trim(20, 24)"), item("Trim(21, 25)")});
    ASSERT_EQ(out[0].status, 0) << out[0].err;
    EXPECT_EQ(out[1].bytes, out[0].bytes);
    EXPECT_GT(out[2].bytes.size(), out[1].bytes.size() + 1000);
}

TEST_F(Mpeg2Cce, QFactorSetsTheQuantiserAndTheListSetsClosedGops)
{
    const std::vector<Encoded> out =
        encode({item("Trim(25, 49)", 20, 12), item("Trim(25, 49)", 400, 12), item("Trim(25, 49)", 20, 15)});
    ASSERT_EQ(out[0].status, 0) << out[0].err;
    // a higher Q factor is a coarser quantiser: a smaller encode
    EXPECT_LT(out[1].bytes.size(), out[0].bytes.size());
    EXPECT_NE(out[0].err.find("Q factor 20 -> quantiser_scale_code 6 (non-linear, quantiser 6)"), std::string::npos)
        << out[0].err;
    EXPECT_NE(out[0].err.find("Q factor 400 -> quantiser_scale_code 19 (non-linear, quantiser 36)"),
              std::string::npos)
        << out[0].err;
    // 25 pictures in GOPs of 12 and of 15
    const StreamCounts twelve = countStream(out[0].bytes);
    const StreamCounts fifteen = countStream(out[2].bytes);
    EXPECT_EQ(twelve.pictures, 25);
    EXPECT_EQ(twelve.gops, 3);
    EXPECT_EQ(fifteen.gops, 2);
    EXPECT_TRUE(twelve.allClosed && fifteen.allClosed);
}

TEST_F(Mpeg2Cce, RefusesWhatItCannotEncodeAndLeavesNoOutput)
{
    const struct {
        const char *name;
        Item item;
        const char *reason;
    } cases[] = {
        {"no Q factor of 1 or more", item("Trim(0, 9)", 0), "the Q factor must be 1 or more"},
        {"no GOP length", item("Trim(0, 9)", 40, 0), "no gop_hdr= line"},
        {"a Trim that is not two integers", item("Trim(0, last)"), "expected Trim(first, last) with two integers"},
        {"a script that leaves no frames", item("Trim(60, 70)"), "the script leaves no frames"},
        {"a source clip that is not there", item("Trim(0, 9)", 40, 15, "/nonexistent/clip.avi"), "ffprobe cannot read"},
    };
    for (const auto &c : cases) {
        const Encoded out = encodeOne(c.item);
        EXPECT_EQ(out.status, 1) << c.name;
        EXPECT_NE(out.err.find(c.reason), std::string::npos) << c.name << ": " << out.err;
        EXPECT_EQ(out.bytes, "<missing>") << c.name;
    }
}

} // namespace
