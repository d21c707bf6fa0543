#include "tools/scratch_pad_form.h"

#include <algorithm>
#include <locale>
#include <vector>

#include "base/file_access.h"
#include "base/identity.h"
#include "base/text.h"
#include "base/text_file.h"

namespace velmora::tools {

namespace {

// Lower case of UTF-8 text in any script, through the C library's Unicode tables; bytes that
// are not well-formed UTF-8 keep their value (ASCII letters folded).
class Utf8Lowering {
  public:
    Utf8Lowering() {
        try {
            locale_ = std::locale("C.UTF-8");
        } catch (const std::runtime_error&) {
            locale_ = std::locale::classic();  // ASCII folding only
        }
        ctype_ = &std::use_facet<std::ctype<wchar_t>>(locale_);
    }

    std::string lower(std::string_view text) const {
        std::string out;
        out.reserve(text.size());
        for (std::size_t i = 0; i < text.size();) {
            std::size_t length = 0;
            const char32_t c = decode(text, i, length);
            if (length == 0) {  // not UTF-8: the byte as it is
                out += lowerAscii(text[i]);
                ++i;
                continue;
            }
            encode(static_cast<char32_t>(ctype_->tolower(static_cast<wchar_t>(c))), out);
            i += length;
        }
        return out;
    }

  private:
    // The code point at `at`; length 0 when the bytes there are not well-formed UTF-8.
    static char32_t decode(std::string_view text, std::size_t at, std::size_t& length) {
        const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[at + k]); };
        const unsigned char first = byte(0);
        length = 0;
        if (first < 0x80) {
            length = 1;
            return first;
        }
        std::size_t need = 0;
        char32_t c = 0;
        if ((first & 0xE0) == 0xC0) {
            need = 1, c = first & 0x1F;
        } else if ((first & 0xF0) == 0xE0) {
            need = 2, c = first & 0x0F;
        } else if ((first & 0xF8) == 0xF0) {
            need = 3, c = first & 0x07;
        } else {
            return 0;
        }
        if (at + need >= text.size()) return 0;
        for (std::size_t k = 1; k <= need; ++k) {
            if ((byte(k) & 0xC0) != 0x80) return 0;
            c = (c << 6) | (byte(k) & 0x3F);
        }
        static constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
        if (c < kLeast[need] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
        length = need + 1;
        return c;
    }

    static void encode(char32_t c, std::string& out) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }

    std::locale locale_;
    const std::ctype<wchar_t>* ctype_ = nullptr;
};

bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code ec;
    return a == b || std::filesystem::equivalent(a, b, ec);
}

bool fileExists(const std::filesystem::path& file) {
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::symlink_status(file, ec));
}

// "notes (2).txt", "notes (3).txt" ...: the first name that nothing in `folder` uses.
std::string freeNameBeside(const std::filesystem::path& folder, const std::string& fileName) {
    const std::filesystem::path name(fileName);
    const std::string stem = name.stem().string();
    const std::string extension = name.extension().string();
    for (int n = 2;; ++n) {
        std::string candidate = stem + " (" + std::to_string(n) + ")" + extension;
        if (!fileExists(folder / candidate)) return candidate;
    }
}

}  // namespace

std::string modifiedQuestion(const std::string& fileName) {
    return "ScratchPad  " + fileName + "  has been modified - Do you want to save it?";
}

std::string sortedPadText(const std::string& text) {
    static const Utf8Lowering lowering;
    std::vector<std::string> lines;
    for (const std::string& line : splitLines(text))
        if (!line.empty()) lines.push_back(lowering.lower(line));
    // Every line is in lower case now, so sorting them as they are ignores case.
    std::stable_sort(lines.begin(), lines.end());
    return joinLines(lines, false);
}

TscratchPadForm::TscratchPadForm(platform::Platform& platform, ScratchPadHost& host,
                                 std::filesystem::path home, std::string fileName)
    : platform_(platform),
      host_(host),
      home_(std::move(home)),
      fileName_(std::move(fileName)),
      source_(home_ / fileName_) {
    setKey(std::string(kScratchPadKind) + "." + fileName_);
    updateCaption();
    setBounds({0, 0, 0, 0});  // the view gives a new pad the whole client area
}

void TscratchPadForm::updateCaption() {
    setCaption(modified_ ? fileName_ + kModifiedMark : fileName_);
}

std::error_code TscratchPadForm::load(const std::filesystem::path& file) {
    source_ = file;
    sourceUnread_ = false;
    text_.clear();
    modified_ = false;
    updateCaption();
    std::error_code ec;
    if (!fileExists(file)) return {};
    const auto bytes = readRegularFile(file, ec, kMaxPadFileBytes);
    if (!bytes) {
        sourceUnread_ = true;
        return ec;
    }
    text_ = joinLines(splitLines(*bytes), false);
    host_.padChanged(*this);
    return {};
}

void TscratchPadForm::markModified() {
    if (modified_) return;
    modified_ = true;
    updateCaption();
    host_.padChanged(*this);
}

bool TscratchPadForm::keyPressed(const PadKey& key) {
    if (key.escape) {
        closeWindowClick();
        return true;
    }
    if (key.alt) return true;
    if (key.blockedAtEdge && !host_.quietKeyboard()) return true;
    markModified();
    return false;
}

void TscratchPadForm::textEdited(const std::string& text) {
    if (text == text_) return;
    text_ = text;
    markModified();
}

void TscratchPadForm::appendLine(const std::string& line) {
    if (!text_.empty() && text_.back() != '\n' && text_.back() != '\r') text_ += "\r\n";
    text_ += line;
    modified_ = false;  // so that the mark is set and the view told even when already marked
    markModified();
}

std::string TscratchPadForm::saveName() {
    const std::filesystem::path target = home_ / fileName_;
    if (!fileExists(target)) return fileName_;
    const bool ownFile = sameFile(target, source_);
    if (ownFile && !sourceUnread_) return fileName_;
    const std::string other = freeNameBeside(home_, fileName_);
    const std::string why =
        ownFile ? "  could not be read when it was opened, so its file in the " +
                      std::string(kProductName) + " home folder holds text this pad does not show."
                : "  came from another folder, and the " + std::string(kProductName) +
                      " home folder already holds a different " + fileName_ + ".";
    const platform::Answer answer = platform_.dialogs.question(
        kProductName,
        "ScratchPad  " + fileName_ + why +
            "\rReplace that file with this scratch pad?\r\rNo keeps both: the scratch pad is "
            "saved as " +
            other + ".",
        platform::Buttons::YesNo, platform::Answer::No);
    return answer == platform::Answer::Yes ? fileName_ : other;
}

bool TscratchPadForm::save() {
    const std::string name = saveName();
    const std::filesystem::path target = home_ / name;
    if (const std::error_code ec = writeFileAtomically(target, text_ + "\r\n")) {
        platform_.system.beep();
        platform_.dialogs.warning(kProductName, "File I/O Error 9563\rScratchPad " +
                                                    target.string() +
                                                    " could not be saved: " + errorText(ec) +
                                                    "\rIts text stays in the window.");
        return false;
    }
    if (name != fileName_) {
        fileName_ = name;
        setKey(std::string(kScratchPadKind) + "." + fileName_);
    }
    source_ = target;
    sourceUnread_ = false;
    modified_ = false;
    updateCaption();
    host_.padChanged(*this);
    return true;
}

void TscratchPadForm::sortClick() {
    if (platform_.dialogs.question(kProductName, kSortQuestion, platform::Buttons::YesNo,
                                   platform::Answer::No) != platform::Answer::Yes)
        return;
    const std::string sorted = sortedPadText(text_);
    if (sorted == text_) return;
    text_ = sorted;
    modified_ = false;
    markModified();
}

void TscratchPadForm::closeWindowClick() {
    host_.closePad(*this);
}

void TscratchPadForm::closeClick() {
    closeWithoutAsking_ = true;
    host_.closePad(*this);
}

bool TscratchPadForm::closeQuery() {
    if (closeWithoutAsking_ || !modified_) return true;
    host_.showPad(*this);
    platform_.system.beep();
    if (platform_.dialogs.question(kProductName, modifiedQuestion(fileName_),
                                   platform::Buttons::YesNo,
                                   platform::Answer::Yes) != platform::Answer::Yes)
        return true;
    return save();
}

platform::Menu TscratchPadForm::popupMenu(bool textSelected) const {
    const platform::Commands& commands = host_.commands();
    auto entry = [&](const char* name, const char* caption, const std::string& command) {
        return platform::commandMenuEntry(commands, name, caption, command);
    };
    auto own = [](const char* name, const char* caption, std::function<void()> run) {
        platform::MenuEntry e{name, caption};
        e.command = std::move(run);
        return e;
    };
    auto* self = const_cast<TscratchPadForm*>(this);
    platform::MenuEntry spell = entry("popScratch_SpellCheck", "Spell Check Te&xt", "spell.check");
    spell.shortcut = "Ctrl+F7";
    return {
        entry("popScratch_New", "&New", "scratch.new"),
        entry("popScratch_Open", "&Open", "scratch.open"),
        own("popScratch_Save", "&Save", [self] { self->save(); }),
        own("popScratch_Close", "&Close", [self] { self->closeClick(); }),
        platform::MenuEntry::separator(),
        own("popScratch_Sort", "So&rt", [self] { self->sortClick(); }),
        spell,
        entry("popScratch_Print", textSelected ? "&Print Selected Text" : "&Print Document",
              "print"),
        platform::MenuEntry::separator(),
        entry("popScratch_FloatingTips", "Floating &Tips", platform::kFloatingTipsCommand),
        own("popScratch_CloseWindow", "&Close Window", [self] { self->closeWindowClick(); }),
        entry("popScratch_Help", "&Help", platform::kHelpCommand),
    };
}

}  // namespace velmora::tools
