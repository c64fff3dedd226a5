// Writes the browser page's window from the desktop window's own places,
// colours and texts (ui/layout.h, ui/window_texts.h, app/shell_texts.h):
// the HTML of the menu bar, the client area and the dialogs, and the CSS
// that places them, one desktop pixel to one CSS pixel. Built for the
// browser and run by the build (under Node.js) to write the page.
// Usage: write_page WINDOW_HTML WINDOW_CSS
#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>

#include "app/shell_texts.h"
#include "codegen/register_bits.h"
#include "ui/contrast.h"
#include "ui/layout.h"
#include "ui/playfield_grid.h"
#include "ui/window_texts.h"

namespace tolvane {
namespace {

// The page's own numbers, in desktop pixels: a menu bar as tall as a
// desktop's, the window's text at a desktop's 9 points, and the register
// labels and tables smaller, as the desktop fits them: eight bytes of the
// widest digit ("DD, DD, ...") fit their box in the usual faces.
constexpr int kMenuBarHeight = 22;
constexpr int kTextPixels = 12;
constexpr int kLabelPixels = 10;
constexpr int kTablePixels = 9;

// Every length of the window is a number of --px: a sixteenth of the
// browser's text size (a CSS pixel unless the user changes it), so that
// the window grows with the text size the user chooses, times --scale,
// which the page's script raises when a minimum font size set in the
// browser would make the smallest text outgrow its box.
constexpr char kPixelUnit[] = "--px:calc(var(--scale,1)*0.0625rem)";

std::string px(int pixels) { return "calc(var(--px)*" + std::to_string(pixels) + ")"; }

std::string colour(const layout::Rgb& rgb) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", rgb.red, rgb.green, rgb.blue);
  return text;
}

// %1, %2... of a text, as Qt's arg() fills them.
std::string fill(std::string_view text, std::initializer_list<std::string> args) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char next = i + 1 < text.size() ? text[i + 1] : '\0';
    const auto number = static_cast<std::size_t>(next - '0');
    if (text[i] == '%' && next >= '1' && number <= args.size()) {
      out += *(args.begin() + number - 1);
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string escape(std::string_view text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// A menu caption: "&File" shows as File with its F underlined, the access
// key the page's script listens for.
struct Caption {
  std::string html;
  char key;
};

Caption caption(std::string_view text) {
  const std::size_t mark = text.find('&');
  const char key = static_cast<char>(text[mark + 1] | 0x20);
  return {escape(text.substr(0, mark)) + "<u>" + escape(text.substr(mark + 1, 1)) + "</u>" +
              escape(text.substr(mark + 2)),
          key};
}

std::string plain(std::string_view text) {
  std::string out(text);
  out.erase(out.find('&'), 1);
  return out;
}

std::string registerClass(Register reg) {
  return "pf" + std::to_string(static_cast<int>(reg));
}

std::string menuItem(const char* id, std::string_view text, std::string_view role_attributes) {
  const Caption item = caption(text);
  return std::string("<button type=\"button\" role=\"menuitem\" id=\"") + id +
         "\" tabindex=\"-1\" data-key=\"" + item.key + "\"" + std::string(role_attributes) +
         ">" + item.html + "</button>";
}

std::string menu(const char* id, std::string_view title,
                 std::initializer_list<std::pair<const char*, std::string_view>> items) {
  const std::string list = std::string(id) + "-items";
  std::string html = "<div class=\"menu\">" +
                     menuItem(id, title,
                              " aria-haspopup=\"menu\" aria-expanded=\"false\" aria-controls=\"" +
                                  list + "\"") +
                     "<div role=\"menu\" id=\"" + list + "\" aria-label=\"" +
                     escape(plain(title)) + "\" hidden>";
  for (const auto& [item, text] : items) html += menuItem(item, text, "");
  return html + "</div></div>\n";
}

std::string menuBar() {
  return "<div role=\"menubar\" id=\"menubar\" aria-label=\"" + escape(texts::kWindowTitle) +
         "\">\n" + menu("mnufile", texts::kFileMenu, {{"mnuexit", texts::kExit}}) +
         menu("mnusettings", texts::kSettingsMenu,
              {{"mnuabout", texts::kAbout}, {"mnuhelp", texts::kHelp}}) +
         "</div>\n";
}

std::string grid() {
  std::string html = "<div id=\"grid\">\n";
  for (int cell = 1; cell <= kCellCount; ++cell) {
    const int column = columnOfCell(cell);
    const Register reg = registerOfColumn(column);
    const std::string name =
        escape(fill(texts::kCellName, {std::to_string(rowOfCell(cell)), std::to_string(column),
                                       std::string(texts::registerName(reg)),
                                       std::to_string(bitOfColumn(column))}));
    html += "<label class=\"cell " + registerClass(reg) + "\"><input type=\"checkbox\" id=\"Check" +
            std::to_string(cell) + "\" aria-label=\"" + name + "\" title=\"" + name +
            "\"></label>\n";
  }
  return html + "</div>\n";
}

std::string button(const char* id, std::string_view text) {
  return std::string("<button type=\"button\" id=\"") + id + "\">" + escape(text) + "</button>\n";
}

// Create Code, the three rows and Clear Fields, in the window's tab order.
std::string outputRows() {
  std::string html = button("cmdcode", texts::kCreateCode);
  for (const layout::OutputRow& row : layout::kOutputRows) {
    const int number = static_cast<int>(row.reg);
    const std::string label = fill(texts::kRegisterLabel, {std::to_string(number)});
    const std::string name = fill(texts::kTableName, {std::string(texts::registerName(row.reg))});
    html += std::string("<label id=\"") + row.labelName + "\" for=\"" + row.boxName + "\" class=\"register " +
            registerClass(row.reg) + "\">" + escape(label) + "</label>\n";
    html += std::string("<input id=\"") + row.boxName + "\" class=\"table\" aria-label=\"" +
            escape(fill(texts::kPageTableName, {label, name})) +
            "\" spellcheck=\"false\" autocomplete=\"off\" autocapitalize=\"off\">\n";
  }
  return html + button("clrfield", texts::kClearFields);
}

std::string notices() {
  return std::string("<p id=\"Label4\" class=\"notice\">") + escape(texts::kNotice) +
         "</p>\n<p id=\"lbladvert\" class=\"notice\">" + escape(texts::kInformation) + "</p>\n";
}

// A modal box with a title, a prompt and OK, which has the keys. It waits
// in a template, which the browser neither lays out nor draws, until the
// page shows it.
std::string dialog(const char* id, std::string_view title, std::string_view prompt) {
  const std::string tag(id);
  return "<template id=\"" + tag + "\"><dialog aria-labelledby=\"" + tag +
         "-title\" aria-describedby=\"" + tag + "-prompt\"><form method=\"dialog\"><h2 id=\"" +
         tag + "-title\">" + escape(title) + "</h2><p id=\"" + tag + "-prompt\" class=\"prompt\">" +
         escape(prompt) + "</p><button autofocus>" + escape(texts::kOk) +
         "</button></form></dialog></template>\n";
}

std::string dialogs() {
  return dialog("aboutbox", texts::kAboutTitle, fill(texts::kAboutPrompt, {TOLVANE_VERSION})) +
         dialog("helpbox", texts::kHelpTitle, texts::kHelpPrompt) +
         // The page fills in what went wrong, at %1.
         dialog("errorbox", texts::kErrorTitle, texts::kRunTimeError);
}

// A text as a JSON string, safe inside a script element.
std::string json(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '<':
        out += "\\u003c";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[7];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

// The page's words in place of the window: the one its scripts fill in
// (#note); the one the page's style shows when no script runs at all
// (#blocked); the one a browser with JavaScript off shows in place of
// both; and the texts the scripts read, as data they do not run.
std::string pageNotes() {
  const std::initializer_list<std::pair<const char*, const char*>> scriptTexts = {
      {"ended", texts::kPageEnded},
      {"needsWebAssembly", texts::kPageNeedsWebAssembly},
      {"notLoaded", texts::kPageNotLoaded},
      {"notBuiltWith", texts::kPageNotBuiltWith},
      {"missing", texts::kPageMissing},
      {"offline", texts::kPageOffline},
      {"scriptNotHad", texts::kPageScriptNotHad},
      {"notStarted", texts::kPageNotStarted},
      {"scriptFailed", texts::kPageScriptFailed},
      {"fromFile", texts::kPageFromFile}};
  std::string data;
  for (const auto& [name, text] : scriptTexts) {
    data += std::string(data.empty() ? "{" : ",\n") + json(name) + ":" + json(text);
  }
  return "<p id=\"note\" class=\"page-note\" role=\"alert\" hidden></p>\n"
         "<p id=\"blocked\" class=\"page-note\">" + escape(texts::kPageScriptDidNotRun) + "</p>\n"
         "<noscript><style>#frmtolvane,#blocked{display:none}</style><p class=\"page-note\">" +
         escape(texts::kPageNoScript) + "</p></noscript>\n"
         "<script type=\"application/json\" id=\"page-texts\">" + data + "}</script>\n";
}

std::string windowHtml() {
  // Busy until its script has bound the commands.
  return "<div id=\"frmtolvane\" aria-busy=\"true\">\n" + menuBar() + "<main id=\"client\">\n" + grid() +
         outputRows() + notices() + "</main>\n</div>\n" + pageNotes() + dialogs();
}

std::string place(const std::string& selector, const layout::TwipsRect& rect) {
  return selector + "{left:" + px(layout::toPixels(rect.left)) +
         ";top:" + px(layout::toPixels(rect.top)) +
         ";width:" + px(layout::toPixels(rect.width)) +
         ";height:" + px(layout::toPixels(rect.height)) + "}\n";
}

std::string windowCss() {
  using namespace layout;
  const TwipsRect first = cellRect(1, 1);
  std::string css = std::string("#frmtolvane{") + kPixelUnit + ";--smallest-text:" +
                    px(kTablePixels) + ";font-size:" + px(kTextPixels) + "}\n";
  css += "#menubar{height:" + px(kMenuBarHeight) + "}\n";
  css += "#client{width:" + px(toPixels(kClientWidth)) +
         ";height:" + px(toPixels(kClientHeight)) + ";background:" + colour(kWindowBackground) +
         "}\n";
  // Cells overlap their neighbours by a pixel, as on the desktop.
  css += "#grid{left:" + px(toPixels(first.left)) + ";top:" + px(toPixels(first.top)) +
         ";grid-template-columns:repeat(" + std::to_string(kColumns) + "," +
         px(toPixels(kCellPitch)) + ");grid-template-rows:repeat(" + std::to_string(kRows) +
         "," + px(toPixels(kCellPitch)) + ")}\n";
  css += ".cell{width:" + px(toPixels(kCellSize)) + ";height:" + px(toPixels(kCellSize)) +
         "}\n";
  for (const RegisterGroup& group : kRegisterGroups) {
    const Rgb background = registerColour(group.reg);
    css += "." + registerClass(group.reg) + "{background:" + colour(background) +
           ";color:" + colour(blackOrWhiteOn(background)) + "}\n";
  }
  for (const OutputRow& row : kOutputRows) {
    css += place(std::string("#") + row.labelName, row.labelPlace);
    css += place(std::string("#") + row.boxName, row.boxPlace);
  }
  css += "#client .register{font-size:" + px(kLabelPixels) + "}\n";
  css += "#client .table{font-size:var(--smallest-text)}\n";
  css += place("#cmdcode", kCreateCodeButton) + place("#clrfield", kClearFieldsButton);
  css += place("#Label4", kNotice) + place("#lbladvert", kInformation);
  css += ".notice{padding:" + px(toPixels(kNoticePadding)) +
         ";background:" + colour(kNoticeBackground) + ";color:" + colour(kNoticeText) + "}\n";
  return css;
}

bool write(const char* path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  out.close();
  if (!out) std::cerr << "write_page: cannot write " << path << "\n";
  return static_cast<bool>(out);
}

}  // namespace
}  // namespace tolvane

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "Usage: write_page WINDOW_HTML WINDOW_CSS\n";
    return 2;
  }
  const bool written =
      tolvane::write(argv[1], tolvane::windowHtml()) && tolvane::write(argv[2], tolvane::windowCss());
  return written ? 0 : 1;
}
