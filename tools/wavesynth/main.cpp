#include <exception>
#include <iostream>

#include "wavesynth/sound_bank.h"

// Build step: renders the game's wave files into the given folder.
int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: wavesynth <output-folder>\n";
        return 2;
    }
    try {
        wavesynth::writeSoundBank(argv[1]);
    } catch (const std::exception& error) {
        std::cerr << "wavesynth: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
