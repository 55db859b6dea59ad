// Draws the dialog's skin bitmap and the application icon into the build tree, where they
// are compiled into the program's resources. Usage: varne_resgen <output directory>

#include "res/gen/BmpWriter.h"
#include "res/gen/IconArtwork.h"
#include "res/gen/SkinArtwork.h"

#include <filesystem>
#include <iostream>
#include <string>

namespace {

int Fail(const std::string& message) {
    std::cerr << "varne_resgen: " << message << '\n';
    return 1;
}

bool ArtworkAvoidsGround(const QImage& skin) {
    for (int y = 0; y < skin.height(); ++y) {
        for (int x = 0; x < skin.width(); ++x) {
            const QRgb pixel = skin.pixel(x, y);
            const bool ground = pixel == qRgb(0, 0, 255);
            if (!ground && varne::gen::LooksLikeGround(pixel)) {
                std::cerr << "varne_resgen: panel pixel (" << x << ", " << y
                          << ") has the ground colour\n";
                return false;
            }
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        return Fail("usage: varne_resgen <output directory>");
    }
    const std::filesystem::path out(argv[1]);
    std::error_code error;
    std::filesystem::create_directories(out / "skin", error);
    std::filesystem::create_directories(out / "icons", error);
    if (error) {
        return Fail("cannot create " + out.string() + ": " + error.message());
    }

    const QImage skin = varne::gen::DrawSkin();
    if (!ArtworkAvoidsGround(skin)) {
        return Fail("the skin artwork would be cut out by the window shape");
    }
    if (!varne::gen::WriteBmp24(skin, (out / "skin" / "skin.bmp").string())) {
        return Fail("cannot write the skin bitmap");
    }
    for (const auto& [size, name] : {std::pair{256, "varne.png"}, std::pair{64, "varne-64.png"}}) {
        const std::string path = (out / "icons" / name).string();
        if (!varne::gen::DrawIcon(size).save(QString::fromStdString(path), "PNG")) {
            return Fail("cannot write " + path);
        }
    }
    return 0;
}
