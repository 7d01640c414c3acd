#include "gdi/text/fontengine.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <unordered_map>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

namespace win32::gdi::text {

namespace {

// Sizes beyond these are clamped: a hostile LOGFONT must not make gigabyte glyphs.
constexpr int kMaxPixelsPerEm = 2000;
constexpr int kDefaultPixelsPerEm = 12;
constexpr size_t kMaxCachedInstances = 256;

// Windows face names and the installed families that stand in for them. DejaVu is on every machine
// the project installs and renders the same everywhere, which keeps pictures deterministic.
struct FaceAlias {
    std::string_view windowsName;
    std::string_view family;
    FontKind kind;
    bool fixedPitch;
    BYTE ff;
};

constexpr FaceAlias kAliases[] = {
    {"Arial", "DejaVu Sans", FontKind::trueType, false, FF_SWISS},
    {"Courier", "DejaVu Sans Mono", FontKind::raster, true, FF_MODERN},
    {"Courier New", "DejaVu Sans Mono", FontKind::trueType, true, FF_MODERN},
    {"Fixedsys", "DejaVu Sans Mono", FontKind::raster, true, FF_MODERN},
    {"Helvetica", "DejaVu Sans", FontKind::device, false, FF_SWISS},
    {"Lucida Console", "DejaVu Sans Mono", FontKind::trueType, true, FF_MODERN},
    {"Microsoft Sans Serif", "DejaVu Sans", FontKind::trueType, false, FF_SWISS},
    {"MS Sans Serif", "DejaVu Sans", FontKind::raster, false, FF_SWISS},
    {"MS Serif", "DejaVu Serif", FontKind::raster, false, FF_ROMAN},
    {"MS Shell Dlg", "DejaVu Sans", FontKind::trueType, false, FF_SWISS},
    {"MS Shell Dlg 2", "DejaVu Sans", FontKind::trueType, false, FF_SWISS},
    {"Small Fonts", "DejaVu Sans", FontKind::raster, false, FF_SWISS},
    {"Symbol", "DejaVu Sans", FontKind::trueType, false, FF_DECORATIVE},
    {"System", "DejaVu Sans", FontKind::raster, false, FF_SWISS},
    {"Tahoma", "DejaVu Sans", FontKind::trueType, false, FF_SWISS},
    {"Terminal", "DejaVu Sans Mono", FontKind::raster, true, FF_MODERN},
    {"Times New Roman", "DejaVu Serif", FontKind::trueType, false, FF_ROMAN},
    {"Verdana", "DejaVu Sans", FontKind::trueType, false, FF_SWISS},
    {"Wingdings", "DejaVu Sans", FontKind::trueType, false, FF_DECORATIVE},
};

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
               return lower(static_cast<unsigned char>(x)) == lower(static_cast<unsigned char>(y));
           });
}

const FaceAlias* FindAlias(std::string_view name) {
    for (const FaceAlias& alias : kAliases)
        if (SameName(alias.windowsName, name)) return &alias;
    return nullptr;
}

std::string_view FallbackFamily(BYTE pitchAndFamily) {
    if ((pitchAndFamily & 0x03) == FIXED_PITCH || (pitchAndFamily & 0xF0) == FF_MODERN)
        return "DejaVu Sans Mono";
    if ((pitchAndFamily & 0xF0) == FF_ROMAN) return "DejaVu Serif";
    return "DejaVu Sans";
}

long Scale(long value, int pixels, int unitsPerEm) {
    return std::lround(static_cast<double>(value) * pixels / unitsPerEm);
}

struct ResolvedFace {
    std::string file;
    int index = 0;
    std::string family;
    bool synthesizeBold = false;
    bool synthesizeItalic = false;
};

// The engine's process-wide state; every FreeType and fontconfig call holds its mutex.
struct Engine {
    std::mutex mutex;
    FT_Library library = nullptr;
    bool fontconfigReady = false;
    std::map<std::string, bool> familyInstalled;  // lower-case family -> installed
    std::map<std::string, std::shared_ptr<FontInstance>> instances;

    Engine() {
        if (FT_Init_FreeType(&library) != 0) library = nullptr;
        fontconfigReady = FcInit() == FcTrue;
    }
    // Left to the process's end: fonts may be in use by static objects until the very last moment.
};

Engine& TheEngine() {
    static Engine* engine = new Engine();
    return *engine;
}

bool FamilyInstalled(Engine& engine, std::string_view family) {
    std::string key(family);
    std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return std::tolower(c); });
    auto found = engine.familyInstalled.find(key);
    if (found != engine.familyInstalled.end()) return found->second;
    bool installed = false;
    if (engine.fontconfigReady) {
        FcPattern* pattern = FcPatternCreate();
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(key.c_str()));
        FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
        FcFontSet* set = FcFontList(nullptr, pattern, objects);
        installed = set && set->nfont > 0;
        if (set) FcFontSetDestroy(set);
        FcObjectSetDestroy(objects);
        FcPatternDestroy(pattern);
    }
    engine.familyInstalled.emplace(std::move(key), installed);
    return installed;
}

std::optional<ResolvedFace> ResolveFace(Engine& engine, std::string_view family, int weight, bool italic) {
    if (!engine.fontconfigReady) return std::nullopt;
    std::string familyName(family);
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(familyName.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(weight));
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddInteger(pattern, FC_WIDTH, FC_WIDTH_NORMAL);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match) return std::nullopt;
    ResolvedFace face;
    FcChar8* file = nullptr;
    FcChar8* matchedFamily = nullptr;
    int matchedWeight = FC_WEIGHT_REGULAR, matchedSlant = FC_SLANT_ROMAN;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch)
        face.file = reinterpret_cast<char*>(file);
    if (FcPatternGetString(match, FC_FAMILY, 0, &matchedFamily) == FcResultMatch)
        face.family = reinterpret_cast<char*>(matchedFamily);
    FcPatternGetInteger(match, FC_INDEX, 0, &face.index);
    FcPatternGetInteger(match, FC_WEIGHT, 0, &matchedWeight);
    FcPatternGetInteger(match, FC_SLANT, 0, &matchedSlant);
    FcPatternDestroy(match);
    if (face.file.empty()) return std::nullopt;
    face.synthesizeBold = weight >= FW_SEMIBOLD && matchedWeight < FC_WEIGHT_DEMIBOLD;
    face.synthesizeItalic = italic && matchedSlant == FC_SLANT_ROMAN;
    return face;
}

class FreeTypeFont final : public FontInstance {
public:
    FreeTypeFont(FT_Face face, const ResolvedFace& resolved, const LOGFONT& logFont, std::string faceName,
                 BYTE ff, bool trueType)
        : face_(face),
          resolved_(resolved),
          faceName_(std::move(faceName)),
          escapement_(logFont.lfEscapement % 3600) {
        SetSizeAndMetrics(logFont, ff);
        metrics_.trueType = trueType;
        if (escapement_ % 3600 != 0) {
            double angle = escapement_ / 10.0 * M_PI / 180.0;
            FT_Matrix matrix;
            matrix.xx = static_cast<FT_Fixed>(std::lround(std::cos(angle) * 0x10000));
            matrix.xy = static_cast<FT_Fixed>(std::lround(-std::sin(angle) * 0x10000));
            matrix.yx = static_cast<FT_Fixed>(std::lround(std::sin(angle) * 0x10000));
            matrix.yy = static_cast<FT_Fixed>(std::lround(std::cos(angle) * 0x10000));
            FT_Set_Transform(face_, &matrix, nullptr);
            rotated_ = true;
        }
    }
    ~FreeTypeFont() override { FT_Done_Face(face_); }

    const FontMetrics& Metrics() const override { return metrics_; }
    const std::string& FaceName() const override { return faceName_; }
    int Escapement() const override { return escapement_; }

    const Glyph& GlyphFor(char32_t code) override {
        std::lock_guard lock(TheEngine().mutex);
        if (code < ascii_.size()) {
            if (!ascii_[code]) ascii_[code] = Render(code);
            return *ascii_[code];
        }
        auto found = others_.find(code);
        if (found == others_.end()) found = others_.emplace(code, Render(code)).first;
        return found->second;
    }

private:
    void SetSizeAndMetrics(const LOGFONT& logFont, BYTE ff) {
        const int unitsPerEm = face_->units_per_EM > 0 ? face_->units_per_EM : 2048;
        auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face_, FT_SFNT_OS2));
        long winAscent = os2 && os2->version != 0xFFFF ? os2->usWinAscent : face_->ascender;
        long winDescent = os2 && os2->version != 0xFFFF ? os2->usWinDescent : -face_->descender;
        if (winAscent + winDescent <= 0) winAscent = unitsPerEm, winDescent = 0;

        // A negative height asks for the em size, a positive one for the whole cell.
        long ppem = kDefaultPixelsPerEm;
        if (logFont.lfHeight < 0)
            ppem = -static_cast<long>(logFont.lfHeight);
        else if (logFont.lfHeight > 0)
            ppem = std::lround(static_cast<double>(logFont.lfHeight) * unitsPerEm / (winAscent + winDescent));
        const int yPixels = static_cast<int>(std::clamp<long>(ppem, 1, kMaxPixelsPerEm));

        long avgWidthUnits =
            os2 && os2->version != 0xFFFF && os2->xAvgCharWidth > 0 ? os2->xAvgCharWidth : unitsPerEm / 2;
        int xPixels = yPixels;
        if (logFont.lfWidth > 0) {
            double natural = static_cast<double>(avgWidthUnits) * yPixels / unitsPerEm;
            xPixels = static_cast<int>(std::clamp<long>(
                std::lround(yPixels * logFont.lfWidth / std::max(natural, 1.0)), 1, kMaxPixelsPerEm));
        }
        FT_Set_Pixel_Sizes(face_, static_cast<FT_UInt>(xPixels), static_cast<FT_UInt>(yPixels));

        FontMetrics& m = metrics_;
        m.ascent = static_cast<int>(Scale(winAscent, yPixels, unitsPerEm));
        m.descent = static_cast<int>(Scale(winDescent, yPixels, unitsPerEm));
        m.height = m.ascent + m.descent;
        m.internalLeading = std::max(0, m.height - yPixels);
        long lineGap = face_->height - (face_->ascender - face_->descender);
        long external =
            std::max(0L, lineGap - ((winAscent + winDescent) - (face_->ascender - face_->descender)));
        m.externalLeading = static_cast<int>(Scale(external, yPixels, unitsPerEm));
        m.aveCharWidth = std::max(1, static_cast<int>(Scale(avgWidthUnits, xPixels, unitsPerEm)));
        m.maxCharWidth =
            std::max(m.aveCharWidth, static_cast<int>(Scale(face_->max_advance_width, xPixels, unitsPerEm)));
        m.weight = logFont.lfWeight == FW_DONTCARE ? FW_NORMAL : std::clamp<int>(logFont.lfWeight, 1, 1000);
        m.italic = logFont.lfItalic != 0;
        m.underline = logFont.lfUnderline != 0;
        m.strikeOut = logFont.lfStrikeOut != 0;
        m.fixedPitch = FT_IS_FIXED_WIDTH(face_);
        m.charSet = logFont.lfCharSet == DEFAULT_CHARSET ? ANSI_CHARSET : logFont.lfCharSet;
        m.family = ff;
        m.underlinePosition =
            std::max(1, static_cast<int>(Scale(-face_->underline_position, yPixels, unitsPerEm)));
        m.underlineThickness =
            std::max(1, static_cast<int>(Scale(face_->underline_thickness, yPixels, unitsPerEm)));
        if (os2 && os2->version != 0xFFFF && os2->yStrikeoutSize > 0) {
            m.strikeOutPosition = static_cast<int>(Scale(os2->yStrikeoutPosition, yPixels, unitsPerEm));
            m.strikeOutThickness =
                std::max(1, static_cast<int>(Scale(os2->yStrikeoutSize, yPixels, unitsPerEm)));
        } else {
            m.strikeOutPosition = m.ascent / 3;
            m.strikeOutThickness = m.underlineThickness;
        }
        if (resolved_.synthesizeBold) {
            // Synthetic bold widens every glyph by a pixel, as the system's does.
            m.aveCharWidth += 1;
            m.maxCharWidth += 1;
        }
    }

    Glyph Render(char32_t code) {
        Glyph glyph;
        FT_UInt index = FT_Get_Char_Index(face_, code);
        if (FT_Load_Glyph(face_, index, FT_LOAD_DEFAULT | FT_LOAD_TARGET_MONO) != 0 &&
            FT_Load_Glyph(face_, 0, FT_LOAD_DEFAULT | FT_LOAD_TARGET_MONO) != 0)
            return glyph;
        FT_GlyphSlot slot = face_->glyph;
        if (resolved_.synthesizeItalic) FT_GlyphSlot_Oblique(slot);
        if (resolved_.synthesizeBold) FT_GlyphSlot_Embolden(slot);
        if (FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) == 0 &&
            slot->bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
            const FT_Bitmap& bitmap = slot->bitmap;
            glyph.left = slot->bitmap_left;
            glyph.top = slot->bitmap_top;
            glyph.width = static_cast<int>(bitmap.width);
            glyph.height = static_cast<int>(bitmap.rows);
            glyph.pitch = (glyph.width + 7) / 8;
            glyph.bits.resize(static_cast<size_t>(glyph.pitch) * static_cast<size_t>(glyph.height));
            for (int row = 0; row < glyph.height; ++row) {
                const unsigned char* source =
                    bitmap.pitch >= 0
                        ? bitmap.buffer + static_cast<ptrdiff_t>(row) * bitmap.pitch
                        : bitmap.buffer + static_cast<ptrdiff_t>(glyph.height - 1 - row) * -bitmap.pitch;
                std::copy_n(source, glyph.pitch, glyph.bits.data() + static_cast<size_t>(row) * glyph.pitch);
            }
        }
        auto round26 = [](FT_Pos value) { return static_cast<int>((value + (value >= 0 ? 32 : -32)) / 64); };
        glyph.advanceX = round26(slot->advance.x);
        glyph.advanceY = -round26(slot->advance.y);
        glyph.advance = rotated_
                            ? static_cast<int>(std::lround(std::hypot(static_cast<double>(slot->advance.x),
                                                                      static_cast<double>(slot->advance.y)) /
                                                           64.0))
                            : glyph.advanceX;
        return glyph;
    }

    FT_Face face_;
    ResolvedFace resolved_;
    std::string faceName_;
    int escapement_;
    bool rotated_ = false;
    FontMetrics metrics_;
    std::array<std::optional<Glyph>, 256> ascii_;
    std::unordered_map<char32_t, Glyph> others_;
};

// Without any usable face (no fonts installed) text still has metrics and advances, drawn as boxes.
class BoxFont final : public FontInstance {
public:
    BoxFont(const LOGFONT& logFont, std::string faceName) : faceName_(std::move(faceName)) {
        int size = logFont.lfHeight < 0 ? -logFont.lfHeight : logFont.lfHeight > 0 ? logFont.lfHeight : 16;
        size = std::clamp(size, 2, kMaxPixelsPerEm);
        metrics_.ascent = size * 4 / 5;
        metrics_.descent = size - metrics_.ascent;
        metrics_.height = size;
        metrics_.aveCharWidth = metrics_.maxCharWidth = std::max(1, size / 2);
        metrics_.weight = logFont.lfWeight ? logFont.lfWeight : FW_NORMAL;
        box_.width = metrics_.aveCharWidth - 1;
        box_.height = metrics_.ascent;
        box_.top = metrics_.ascent;
        box_.pitch = (box_.width + 7) / 8;
        box_.bits.assign(static_cast<size_t>(box_.pitch) * box_.height, 0);
        for (int y = 0; y < box_.height; ++y)
            for (int x = 0; x < box_.width; ++x)
                if (y == 0 || y == box_.height - 1 || x == 0 || x == box_.width - 1)
                    box_.bits[static_cast<size_t>(y) * box_.pitch + x / 8] |=
                        static_cast<uint8_t>(0x80 >> (x % 8));
        box_.advance = box_.advanceX = metrics_.aveCharWidth;
        space_ = box_;
        space_.bits.assign(space_.bits.size(), 0);
    }
    const FontMetrics& Metrics() const override { return metrics_; }
    const std::string& FaceName() const override { return faceName_; }
    int Escapement() const override { return 0; }
    const Glyph& GlyphFor(char32_t code) override { return code == U' ' ? space_ : box_; }

private:
    std::string faceName_;
    FontMetrics metrics_;
    Glyph box_, space_;
};

std::string InstanceKey(const LOGFONT& f, int logPixelsY) {
    std::string key(f.lfFaceName, strnlen(f.lfFaceName, LF_FACESIZE));
    std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return std::tolower(c); });
    key += '|';
    for (long value :
         {static_cast<long>(f.lfHeight), static_cast<long>(f.lfWidth), static_cast<long>(f.lfEscapement),
          static_cast<long>(f.lfWeight), static_cast<long>(f.lfItalic), static_cast<long>(f.lfUnderline),
          static_cast<long>(f.lfStrikeOut), static_cast<long>(f.lfCharSet),
          static_cast<long>(f.lfPitchAndFamily), static_cast<long>(logPixelsY)}) {
        key += std::to_string(value);
        key += ',';
    }
    return key;
}

}  // namespace

std::shared_ptr<FontInstance> GetFont(const LOGFONT& logFont, int logPixelsY) {
    Engine& engine = TheEngine();
    std::lock_guard lock(engine.mutex);
    const std::string key = InstanceKey(logFont, logPixelsY);
    if (auto found = engine.instances.find(key); found != engine.instances.end()) return found->second;

    std::string requested(logFont.lfFaceName, strnlen(logFont.lfFaceName, LF_FACESIZE));
    std::string_view family;
    std::string faceName;
    BYTE ff = logFont.lfPitchAndFamily & 0xF0;
    bool trueType = true;
    if (const FaceAlias* alias = FindAlias(requested)) {
        family = alias->family;
        faceName = std::string(alias->windowsName);
        ff = alias->ff;
        trueType = alias->kind == FontKind::trueType;
    } else if (!requested.empty() && FamilyInstalled(engine, requested)) {
        family = requested;
        faceName = requested;
    } else {
        family = FallbackFamily(logFont.lfPitchAndFamily);
        faceName = std::string(family);
    }
    if (ff == FF_DONTCARE)
        ff = family == "DejaVu Serif" ? FF_ROMAN : family == "DejaVu Sans Mono" ? FF_MODERN : FF_SWISS;
    const int weight =
        logFont.lfWeight == FW_DONTCARE ? FW_NORMAL : std::clamp<int>(logFont.lfWeight, 1, 1000);

    std::shared_ptr<FontInstance> instance;
    if (auto resolved = ResolveFace(engine, family, weight, logFont.lfItalic != 0);
        resolved && engine.library) {
        FT_Face face = nullptr;
        if (FT_New_Face(engine.library, resolved->file.c_str(), resolved->index, &face) == 0)
            instance = std::make_shared<FreeTypeFont>(face, *resolved, logFont, faceName, ff, trueType);
    }
    if (!instance) instance = std::make_shared<BoxFont>(logFont, faceName);
    if (engine.instances.size() >= kMaxCachedInstances) engine.instances.clear();
    engine.instances.emplace(key, instance);
    return instance;
}

namespace {

// The code point at text[i] and its length in bytes; a malformed byte is U+FFFD of length 1.
char32_t DecodeOne(std::string_view text, size_t i, size_t& length) {
    auto lead = static_cast<unsigned char>(text[i]);
    length = 1;
    if (lead < 0x80) return lead;
    size_t need = lead >= 0xF0 && lead <= 0xF4  ? 4
                  : lead >= 0xE0 && lead < 0xF0 ? 3
                  : lead >= 0xC2 && lead < 0xE0 ? 2
                                                : 0;
    if (need == 0 || i + need > text.size()) return U'\uFFFD';
    char32_t code = need == 4 ? lead & 0x07 : need == 3 ? lead & 0x0F : lead & 0x1F;
    for (size_t k = 1; k < need; ++k) {
        auto next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80) return U'\uFFFD';
        code = (code << 6) | (next & 0x3F);
    }
    if ((need == 3 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF))) ||
        (need == 4 && (code < 0x10000 || code > 0x10FFFF)))
        return U'\uFFFD';
    length = need;
    return code;
}

}  // namespace

std::u32string DecodeUtf8(std::string_view text) {
    std::u32string result;
    result.reserve(text.size());
    for (size_t i = 0, length = 0; i < text.size(); i += length)
        result += DecodeOne(text, i, length);
    return result;
}

bool SameFaceName(std::string_view a, std::string_view b) {
    return SameName(a, b);
}

std::vector<FontFamily> ScreenFontFamilies() {
    std::vector<FontFamily> families;
    for (const FaceAlias& alias : kAliases)
        families.push_back({std::string(alias.windowsName), alias.kind, alias.fixedPitch, alias.ff});
    Engine& engine = TheEngine();
    {
        std::lock_guard lock(engine.mutex);
        if (engine.fontconfigReady) {
            FcPattern* pattern = FcPatternCreate();
            FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_SPACING, FC_SCALABLE, nullptr);
            FcFontSet* set = FcFontList(nullptr, pattern, objects);
            for (int i = 0; set && i < set->nfont; ++i) {
                FcChar8* name = nullptr;
                if (FcPatternGetString(set->fonts[i], FC_FAMILY, 0, &name) != FcResultMatch) continue;
                int spacing = FC_PROPORTIONAL;
                FcBool scalable = FcTrue;
                FcPatternGetInteger(set->fonts[i], FC_SPACING, 0, &spacing);
                FcPatternGetBool(set->fonts[i], FC_SCALABLE, 0, &scalable);
                bool fixed = spacing == FC_MONO || spacing == FC_CHARCELL;
                families.push_back({reinterpret_cast<char*>(name),
                                    scalable ? FontKind::trueType : FontKind::raster, fixed,
                                    static_cast<BYTE>(fixed ? FF_MODERN : FF_SWISS)});
            }
            if (set) FcFontSetDestroy(set);
            FcObjectSetDestroy(objects);
            FcPatternDestroy(pattern);
        }
    }
    auto lower = [](const std::string& s) {
        std::string result = s;
        std::transform(result.begin(), result.end(), result.begin(),
                       [](unsigned char c) { return std::tolower(c); });
        return result;
    };
    std::stable_sort(families.begin(), families.end(),
                     [&](const FontFamily& a, const FontFamily& b) { return lower(a.name) < lower(b.name); });
    families.erase(
        std::unique(families.begin(), families.end(),
                    [](const FontFamily& a, const FontFamily& b) { return SameName(a.name, b.name); }),
        families.end());
    return families;
}

}  // namespace win32::gdi::text
