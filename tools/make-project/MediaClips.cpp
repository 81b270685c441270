#include "MediaClips.h"

#include "ChildProcess.h"

#include "common/Format.h"
#include "common/TextFile.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace {

std::string sceneFilters(const MediaScene &scene)
{
    const std::string size = cformat("s=%dx%d:r=%d/%d", kMediaWidth, kMediaHeight, kMediaRateNum, kMediaRateDen);
    const long long frames = scene.frames;
    // a different view of the fractal for every scene
    const std::string view = cformat("start_scale=%s", formatGeneral(0.4 + (scene.seed % 100) / 40.0, 4).c_str());
    const std::string hold = cformat("trim=end_frame=1,loop=loop=%lld:size=1:start=0", frames - 1);
    switch (scene.content) {
    case MediaContent::Still:
        return "mandelbrot=" + size + ":" + view + "," + hold;
    case MediaContent::Slow:
        return "mandelbrot=" + size + ":" + view + "," + hold + cformat(",setpts=N*%d/%d/TB", kMediaRateDen, kMediaRateNum) +
               cformat(",scroll=horizontal=%s:vertical=0.001", scene.seed % 2 ? "0.002" : "-0.002");
    case MediaContent::Detail:
        return "mandelbrot=" + size + ":" + view + cformat(",trim=end_frame=%lld", frames);
    case MediaContent::Motion:
        return "testsrc2=" + size + cformat(",hue=h=%u,trim=end_frame=%lld", scene.seed % 360, frames);
    case MediaContent::Noise:
        return "testsrc2=" + size +
               cformat(",noise=alls=12:allf=t:all_seed=%u,trim=end_frame=%lld", scene.seed, frames);
    case MediaContent::Fast:
        return cformat("cellauto=s=%dx%d:r=%d/%d:rule=110:scroll=1:full=1:seed=%u,", kMediaWidth / 2,
                       kMediaHeight / 2, kMediaRateNum, kMediaRateDen, scene.seed) +
               cformat("scale=%dx%d:flags=neighbor,trim=end_frame=%lld", kMediaWidth, kMediaHeight, frames);
    }
    return {};
}

} // namespace

std::string mediaFilterGraph(const MediaClip &clip)
{
    std::string graph;
    std::string inputs;
    for (std::size_t i = 0; i < clip.scenes.size(); ++i) {
        graph += sceneFilters(clip.scenes[i]) +
                 cformat(",format=yuv420p,setsar=1,setpts=N*%d/%d/TB[s%d];", kMediaRateDen, kMediaRateNum, int(i));
        inputs += cformat("[s%d]", int(i));
    }
    // concat leaves frames overlapping at the joins when it cannot tell how long they last;
    // numbering the frames again keeps every one of them
    return graph + inputs +
           cformat("concat=n=%d:v=1:a=0,setpts=N*%d/%d/TB[v]", int(clip.scenes.size()), kMediaRateDen, kMediaRateNum);
}

bool writeMediaClips(const std::vector<MediaClip> &clips, std::string *errorOut)
{
    auto failed = [errorOut](const std::string &why) {
        if (errorOut)
            *errorOut = why;
        return false;
    };
    for (const MediaClip &clip : clips) {
        const std::filesystem::path path = toFsPath(clip.path);
        std::error_code error;
        std::filesystem::create_directories(path.parent_path(), error);
        if (error)
            return failed("cannot create the folder " + fromFsPath(path.parent_path()));
        std::fprintf(stderr, "make-project: writing %s (%lld frames, %d scenes)\n", clip.path.c_str(),
                     (long long)clip.frames, int(clip.scenes.size()));
        // into a side file first, so an interrupted run leaves no clip that looks whole
        const std::string partial = clip.path + ".part";
        const std::vector<std::string> command = {
            "ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-y", "-filter_complex", mediaFilterGraph(clip),
            "-map", "[v]", "-c:v", "mjpeg", "-q:v", "3", "-pix_fmt", "yuvj420p", "-f", "avi", partial};
        const ChildResult result = runChild(command);
        if (!result.started)
            return failed(result.error + " (install ffmpeg: apt-get install ffmpeg)");
        if (result.exitStatus != 0) {
            std::filesystem::remove(toFsPath(partial), error);
            return failed(cformat("ffmpeg failed with exit status %d writing ", result.exitStatus) + clip.path);
        }
        const ChildResult probe =
            runChild({"ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries", "stream=nb_frames", "-of",
                      "default=noprint_wrappers=1:nokey=1", partial},
                     true);
        const long long frames = probe.started && probe.exitStatus == 0 ? std::atoll(probe.output.c_str()) : -1;
        if (frames != clip.frames) {
            std::filesystem::remove(toFsPath(partial), error);
            return failed(cformat("%s came out with %lld frames instead of %lld", clip.path.c_str(), frames,
                                  (long long)clip.frames));
        }
        std::filesystem::rename(toFsPath(partial), path, error);
        if (error)
            return failed("cannot rename " + partial + " to " + clip.path);
    }
    return true;
}
