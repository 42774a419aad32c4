// Writes N small movies below a folder, a third of them damaged (see
// fixtures/StressMovies.h). Used by batch-stress.sh.
//
//   make_stress_movies FOLDER [N]

#include "support/StressMovies.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: make_stress_movies FOLDER [N]\n", stderr);
        return 2;
    }
    const int count = argc > 2 ? std::atoi(argv[2]) : 10000;
    quillon::test::MakeStressMovies(argv[1], count);
    return 0;
}
