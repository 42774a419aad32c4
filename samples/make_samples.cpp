// Writes the sample movies the project ships: make-samples [FOLDER] (default: the
// folder this program was built from).

#include "codec/FileIO.h"
#include "codec/SwfImage.h"
#include "support/MovieWriter.h"

#include <cstdio>
#include <string>

using namespace quillon::testing;

namespace {

// A sprite with a spinning-looking square (three frames) placed twice on the stage.
Bytes MakeSpriteMovie() {
    MovieWriter movie(160, 120, 12);
    movie.setBackground({250, 245, 230});
    const auto orange = movie.defineRectangle(-300, -300, 600, 600, {240, 140, 20});
    const auto purple = movie.defineRectangle(-200, -400, 400, 800, {120, 40, 160});
    TagStream spin;
    spin.place(Place{1, orange});
    spin.showFrame();
    Place turn{1, std::nullopt};
    turn.move = true;
    turn.matrix = Matrix{0.7071, 0.7071, -0.7071, 0.7071, 0, 0};
    spin.place(turn);
    spin.showFrame();
    spin.remove(1);
    spin.place(Place{1, purple});
    spin.showFrame();
    const auto sprite = movie.defineSprite(spin);
    movie.place(Place{1, sprite}.at(800, 1200));
    movie.place(Place{2, sprite}.at(2400, 1200));
    movie.showFrame();
    movie.showFrame();
    movie.showFrame();
    return movie.bytes();
}

bool Write(const std::string& path, const Bytes& bytes) {
    if (!quillon::WriteFileReplacing(path, bytes)) {
        std::fprintf(stderr, "make-samples: cannot write %s\n", path.c_str());
        return false;
    }
    std::printf("%s (%zu bytes)\n", path.c_str(), bytes.size());
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : QUILLON_SAMPLES_DIR;
    const Bytes plain = MakeShapesMovie(200, 150, 12, 6);
    const Bytes compressed = quillon::CompressSwfImage(plain, 9);
    bool ok = Write(folder + "/shapes.swf", plain);
    ok = Write(folder + "/shapes-compressed.swf", compressed) && ok;
    ok = Write(folder + "/sprite.swf", MakeSpriteMovie()) && ok;
    return ok ? 0 : 1;
}
