#pragma once

#include "ProjectGenerator.h"

#include <string>
#include <vector>

// Writes the clips of a media project with ffmpeg (which must be in PATH): each clip's scenes
// come from ffmpeg's own test sources, joined with cuts, at 352x240 and 29.97 fps, stored as
// Motion JPEG in AVI so that every frame can be reached by seeking. POSIX systems only.
// False with `errorOut` set when ffmpeg cannot be run or a clip does not come out whole.
bool writeMediaClips(const std::vector<MediaClip> &clips, std::string *errorOut);

// The ffmpeg filter graph of one clip, ending in the output label [v].
std::string mediaFilterGraph(const MediaClip &clip);
