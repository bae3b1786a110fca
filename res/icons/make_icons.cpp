// Writes the application icon for the hicolor icon theme, made from the XPM
// drawings the window uses (zorvia_icon.xpm):
//
//   make_icons OUTPUT_DIR NAME
//
// OUTPUT_DIR/hicolor/NxN/apps/NAME.png for 16, 32 and 48 pixels as drawn, and
// for 64, 128 and 256 pixels scaled up from the 16-pixel drawing without
// smoothing (the icon is drawn on a 16-pixel grid: the larger drawings are
// that grid enlarged); OUTPUT_DIR/hicolor/scalable/apps/NAME.svg is the same
// grid as squares.
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/init.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "zorvia_icon.xpm"

namespace {

std::string Directory(const std::string& root, const std::string& size) {
    const std::string directory = root + "/hicolor/" + size + "/apps";
    wxFileName::Mkdir(wxString::FromUTF8(directory), wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
    return directory;
}

bool SavePng(wxImage image, const std::string& root, const std::string& name) {
    const std::string size = std::to_string(image.GetWidth()) + "x" + std::to_string(image.GetHeight());
    // A mask becomes an alpha channel, which the theme's readers all take.
    if (image.HasMask()) image.InitAlpha();
    return image.SaveFile(wxString::FromUTF8(Directory(root, size) + "/" + name + ".png"), wxBITMAP_TYPE_PNG);
}

// One rectangle per run of equal pixels in a row; transparent ones left out.
bool SaveSvg(const wxImage& image, const std::string& root, const std::string& name) {
    const int w = image.GetWidth();
    const int h = image.GetHeight();
    std::ofstream out(Directory(root, "scalable") + "/" + name + ".svg");
    out << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << w << "\" height=\"" << h
        << "\" viewBox=\"0 0 " << w << " " << h << "\" shape-rendering=\"crispEdges\">\n";
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w;) {
            int end = x + 1;
            const auto same = [&](int a, int b) {
                return image.IsTransparent(a, y) == image.IsTransparent(b, y) &&
                       image.GetRed(a, y) == image.GetRed(b, y) && image.GetGreen(a, y) == image.GetGreen(b, y) &&
                       image.GetBlue(a, y) == image.GetBlue(b, y);
            };
            while (end < w && same(x, end)) ++end;
            if (!image.IsTransparent(x, y)) {
                char colour[8];
                std::snprintf(colour, sizeof colour, "#%02X%02X%02X", image.GetRed(x, y), image.GetGreen(x, y),
                              image.GetBlue(x, y));
                out << "<rect x=\"" << x << "\" y=\"" << y << "\" width=\"" << end - x << "\" height=\"1\" fill=\""
                    << colour << "\"/>\n";
            }
            x = end;
        }
    }
    out << "</svg>\n";
    return out.good();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_icons OUTPUT_DIR NAME\n");
        return 2;
    }
    wxInitializer initializer;
    if (!initializer.IsOk()) return 1;
    wxImage::AddHandler(new wxPNGHandler);
    const std::string root = argv[1];
    const std::string name = argv[2];
    const wxImage grid(zorvia_icon_16);
    bool ok = grid.IsOk() && SavePng(grid, root, name) && SavePng(wxImage(zorvia_icon_32), root, name) &&
              SavePng(wxImage(zorvia_icon_48), root, name) && SaveSvg(grid, root, name);
    for (int size : {64, 128, 256}) ok = ok && SavePng(grid.Scale(size, size, wxIMAGE_QUALITY_NEAREST), root, name);
    if (!ok) std::fprintf(stderr, "make_icons: cannot write the icons to %s\n", root.c_str());
    return ok ? 0 : 1;
}
