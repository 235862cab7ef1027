#include "edit/subtitles.h"

#ifdef TAVIK_HAVE_LIBASS

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <fstream>
#include <iterator>

extern "C" {
#include <ass/ass.h>
}

#include "edit/subrip.h"

namespace tavik::edit {

namespace {

bool ReadFile(const std::string& path, std::string& text) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    text.assign(std::istreambuf_iterator<char>(file), {});
    return !file.bad();
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool IsSubRip(const std::string& path, const std::string& text) {
    const std::string name = Lower(path);
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".srt") == 0) return true;
    if (name.size() > 4 && (name.compare(name.size() - 4, 4, ".ass") == 0 ||
                            name.compare(name.size() - 4, 4, ".ssa") == 0))
        return false;
    return text.find("[Script Info]") == std::string::npos;
}

// The fonts fontconfig knows, released with it.
class Fonts {
  public:
    Fonts() : config_(FcInitLoadConfigAndFonts()) {}
    ~Fonts() {
        if (config_) FcConfigDestroy(config_);
    }
    Fonts(const Fonts&) = delete;
    Fonts& operator=(const Fonts&) = delete;

    // Whether some installed font has this family name.
    bool HasFamily(const std::string& family) const {
        if (!config_) return false;
        FcPattern* pattern = FcPatternCreate();
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
        FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
        FcFontSet* found = FcFontList(config_, pattern, objects);
        const bool has = found && found->nfont > 0;
        if (found) FcFontSetDestroy(found);
        FcObjectSetDestroy(objects);
        FcPatternDestroy(pattern);
        return has;
    }

    // The font fontconfig gives for a generic family: its file and family name.
    bool Match(const char* generic, std::string& file, std::string& family) const {
        if (!config_) return false;
        FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(generic));
        FcConfigSubstitute(config_, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        FcPattern* match = FcFontMatch(config_, pattern, &result);
        FcPatternDestroy(pattern);
        if (!match) return false;
        FcChar8 *path = nullptr, *name = nullptr;
        const bool found = FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch &&
                           FcPatternGetString(match, FC_FAMILY, 0, &name) == FcResultMatch;
        if (found) {
            file = reinterpret_cast<const char*>(path);
            family = reinterpret_cast<const char*>(name);
        }
        FcPatternDestroy(match);
        return found && std::ifstream(file).good();
    }

    std::vector<std::string> Families() const {
        std::vector<std::string> families;
        if (!config_) return families;
        FcPattern* pattern = FcPatternCreate();
        FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
        FcFontSet* found = FcFontList(config_, pattern, objects);
        for (int i = 0; found && i < found->nfont; ++i) {
            FcChar8* name = nullptr;
            if (FcPatternGetString(found->fonts[i], FC_FAMILY, 0, &name) == FcResultMatch)
                families.emplace_back(reinterpret_cast<const char*>(name));
        }
        if (found) FcFontSetDestroy(found);
        FcObjectSetDestroy(objects);
        FcPatternDestroy(pattern);
        std::sort(families.begin(), families.end());
        families.erase(std::unique(families.begin(), families.end()), families.end());
        return families;
    }

  private:
    FcConfig* config_;
};

// The family name inside a font file, or empty when fontconfig cannot read it.
std::string FamilyOfFile(const std::string& path) {
    int count = 0;
    FcPattern* pattern =
        FcFreeTypeQuery(reinterpret_cast<const FcChar8*>(path.c_str()), 0, nullptr, &count);
    if (!pattern) return {};
    FcChar8* name = nullptr;
    std::string family;
    if (FcPatternGetString(pattern, FC_FAMILY, 0, &name) == FcResultMatch)
        family = reinterpret_cast<const char*>(name);
    FcPatternDestroy(pattern);
    return family;
}

class AssText : public TextSource {
  public:
    explicit AssText(std::string name) : name_(std::move(name)) {}
    ~AssText() override {
        if (track_) ass_free_track(track_);
        if (renderer_) ass_renderer_done(renderer_);
        if (library_) ass_library_done(library_);
    }
    AssText(const AssText&) = delete;
    AssText& operator=(const AssText&) = delete;

    bool Open(const SubtitleOptions& options, uint32_t width, uint32_t storedHeight,
              uint32_t heightScale, std::string& error);

    const std::vector<TextLayer>& At(int64_t ms) override {
        int change = 0;
        const ASS_Image* image = ass_render_frame(renderer_, track_, ms, &change);
        if (rendered_ && change == 0) return layers_;
        rendered_ = true;
        layers_.clear();
        for (; image; image = image->next) {
            if (image->w <= 0 || image->h <= 0) continue;
            TextLayer layer;
            layer.x = image->dst_x;
            layer.y = image->dst_y;
            layer.width = static_cast<uint32_t>(image->w);
            layer.height = static_cast<uint32_t>(image->h);
            layer.coverage.resize(size_t{layer.width} * layer.height);
            for (uint32_t y = 0; y < layer.height; ++y)
                std::copy_n(image->bitmap + size_t{y} * image->stride, layer.width,
                            layer.coverage.begin() + static_cast<ptrdiff_t>(y * layer.width));
            layer.r = static_cast<uint8_t>(image->color >> 24);
            layer.g = static_cast<uint8_t>(image->color >> 16);
            layer.b = static_cast<uint8_t>(image->color >> 8);
            layer.opacity = static_cast<uint8_t>(255 - (image->color & 0xFF));
            layers_.push_back(std::move(layer));
        }
        return layers_;
    }

    std::vector<Cue> Cues() const override {
        std::vector<Cue> cues;
        for (int i = 0; i < track_->n_events; ++i) {
            const ASS_Event& event = track_->events[i];
            cues.push_back({event.Start, event.Start + event.Duration});
        }
        return cues;
    }

    std::string Name() const override { return name_; }

  private:
    static void Message(int level, const char* format, va_list args, void* data) {
        auto* self = static_cast<AssText*>(data);
        if (level > 2 || !self->firstWarning_.empty()) return;  // errors and warnings only
        char text[512];
        std::vsnprintf(text, sizeof text, format, args);
        self->firstWarning_ = text;
    }
    bool Fail(const std::string& why, std::string& error) const {
        error = name_ + ": " + why;
        return false;
    }
    bool ReadSubRip(const std::string& text, uint32_t width, uint32_t shownHeight,
                    const std::string& family, double fontSize, std::string& error);
    bool CheckStyleFonts(const Fonts& fonts, std::string& error) const;

    std::string name_, firstWarning_;
    ASS_Library* library_ = nullptr;
    ASS_Renderer* renderer_ = nullptr;
    ASS_Track* track_ = nullptr;
    std::vector<TextLayer> layers_;
    bool rendered_ = false;
};

bool AssText::ReadSubRip(const std::string& text, uint32_t width, uint32_t shownHeight,
                         const std::string& family, double fontSize, std::string& error) {
    std::vector<SubRipCue> cues;
    std::string why;
    if (!ParseSubRip(text, cues, why)) return Fail(why, error);
    // White text with a black outline and a soft shadow, bottom centre.
    const double size = fontSize > 0 ? fontSize : std::max(10.0, std::round(shownHeight * 0.065));
    const double outline = std::max(1.0, std::round(size / 16));
    char style[512];
    std::snprintf(style, sizeof style,
                  "Style: Default,%s,%g,&H00FFFFFF,&H000000FF,&H00000000,&H80000000,0,0,0,0,100,"
                  "100,0,0,1,%g,1,2,%u,%u,%u,1\n",
                  family.c_str(), size, outline, width / 32, width / 32, shownHeight / 24);
    const std::string header =
        "[Script Info]\nScriptType: v4.00+\nPlayResX: " + std::to_string(width) +
        "\nPlayResY: " + std::to_string(shownHeight) +
        "\nScaledBorderAndShadow: yes\nWrapStyle: 0\n\n[V4+ Styles]\nFormat: Name, Fontname, "
        "Fontsize, PrimaryColour, SecondaryColour, OutlineColour, BackColour, Bold, Italic, "
        "Underline, StrikeOut, ScaleX, ScaleY, Spacing, Angle, BorderStyle, Outline, Shadow, "
        "Alignment, MarginL, MarginR, MarginV, Encoding\n" +
        style +
        "\n[Events]\nFormat: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, "
        "Text\n";
    track_ = ass_new_track(library_);
    if (!track_) return Fail("out of memory", error);
    std::string buffer = header;
    ass_process_codec_private(track_, buffer.data(), static_cast<int>(buffer.size()));
    for (size_t i = 0; i < cues.size(); ++i) {
        buffer = std::to_string(i) + ",0,Default,,0,0,0,," + cues[i].text;
        ass_process_chunk(track_, buffer.data(), static_cast<int>(buffer.size()), cues[i].startMs,
                          cues[i].endMs - cues[i].startMs);
    }
    return true;
}

bool AssText::CheckStyleFonts(const Fonts& fonts, std::string& error) const {
    // The styles the events use; style 0 is the renderer's own fallback, not the file's.
    std::vector<bool> used(static_cast<size_t>(track_->n_styles), false);
    for (int i = 0; i < track_->n_events; ++i) {
        const int style = track_->events[i].Style;
        if (style > 0 && style < track_->n_styles) used[static_cast<size_t>(style)] = true;
    }
    for (int i = 1; i < track_->n_styles; ++i) {
        if (!used[static_cast<size_t>(i)]) continue;
        std::string font = track_->styles[i].FontName ? track_->styles[i].FontName : "";
        if (!font.empty() && font[0] == '@') font.erase(0, 1);  // vertical-writing marker
        if (font.empty() || fonts.HasFamily(font)) continue;
        return Fail("style \"" + std::string(track_->styles[i].Name) + "\" uses the font \"" +
                        font + "\", which is not installed (install it, or give --font FILE)",
                    error);
    }
    return true;
}

bool AssText::Open(const SubtitleOptions& options, uint32_t width, uint32_t storedHeight,
                   uint32_t heightScale, std::string& error) {
    std::string text;
    if (!ReadFile(options.path, text)) return Fail("cannot be read", error);
    library_ = ass_library_init();
    if (!library_) return Fail("the subtitle renderer cannot start", error);
    ass_set_message_cb(library_, Message, this);
    ass_set_extract_fonts(library_, 1);

    const Fonts fonts;
    std::string fontFile, family;
    if (!options.fontFile.empty()) {
        fontFile = options.fontFile;
        if (!std::ifstream(fontFile).good()) {
            error = fontFile + ": no such font file";
            return false;
        }
        family = FamilyOfFile(fontFile);
        if (family.empty()) {
            error = fontFile + ": not a font file";
            return false;
        }
        std::string data;
        if (!ReadFile(fontFile, data)) {
            error = fontFile + ": cannot be read";
            return false;
        }
        ass_add_font(library_, family.c_str(), data.data(), static_cast<int>(data.size()));
    } else if (!fonts.Match("sans-serif", fontFile, family)) {
        return Fail("no fonts are installed (install fonts-dejavu-core, or give --font FILE)",
                    error);
    }

    const uint32_t shownHeight = storedHeight * heightScale;
    if (IsSubRip(options.path, text)) {
        if (!ReadSubRip(text, width, shownHeight, family, options.fontSize, error)) return false;
    } else {
        track_ = ass_read_memory(library_, text.data(), text.size(), nullptr);
        if (!track_ || track_->n_events == 0)
            return Fail("no subtitles found" +
                            (firstWarning_.empty() ? std::string() : " (" + firstWarning_ + ")"),
                        error);
        std::vector<std::string> overrides;
        if (!options.fontFile.empty()) overrides.push_back("Fontname=" + family);
        if (options.fontSize > 0)
            overrides.push_back("Fontsize=" + std::to_string(options.fontSize));
        if (!overrides.empty()) {
            std::vector<char*> list;
            for (std::string& o : overrides) list.push_back(o.data());
            list.push_back(nullptr);
            ass_set_style_overrides(library_, list.data());
            ass_process_force_style(track_);
        } else if (text.find("[Fonts]") == std::string::npos && !CheckStyleFonts(fonts, error)) {
            return false;
        }
    }

    renderer_ = ass_renderer_init(library_);
    if (!renderer_) return Fail("the subtitle renderer cannot start", error);
    ass_set_frame_size(renderer_, static_cast<int>(width), static_cast<int>(storedHeight));
    ass_set_storage_size(renderer_, static_cast<int>(width), static_cast<int>(shownHeight));
    // A movie shown at twice its stored height gets text drawn twice as wide as its stored
    // height would make it, so that it has its proper shape when shown.
    ass_set_pixel_aspect(renderer_, heightScale);
    ass_set_fonts(renderer_, fontFile.c_str(), family.c_str(), ASS_FONTPROVIDER_AUTODETECT, nullptr,
                  1);
    return true;
}

}  // namespace

bool SubtitlesAvailable() {
    return true;
}

bool ListFontFamilies(std::vector<std::string>& families, std::string& error) {
    families = Fonts().Families();
    if (families.empty()) error = "no fonts are installed";
    return !families.empty();
}

std::unique_ptr<TextSource> OpenSubtitles(const SubtitleOptions& options, uint32_t width,
                                          uint32_t storedHeight, uint32_t heightScale,
                                          std::string& error) {
    auto text = std::make_unique<AssText>(options.path);
    if (!text->Open(options, width, storedHeight, heightScale, error)) return nullptr;
    return text;
}

}  // namespace tavik::edit

#else  // no libass in this build

namespace tavik::edit {

namespace {
constexpr const char* kMissing =
    "this tavik-edit was built without libass, so it cannot draw subtitles";
}

bool SubtitlesAvailable() {
    return false;
}

bool ListFontFamilies(std::vector<std::string>&, std::string& error) {
    error = kMissing;
    return false;
}

std::unique_ptr<TextSource> OpenSubtitles(const SubtitleOptions&, uint32_t, uint32_t, uint32_t,
                                          std::string& error) {
    error = kMissing;
    return nullptr;
}

}  // namespace tavik::edit

#endif
