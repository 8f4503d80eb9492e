// Parsing of arbo's options: short ones alone or grouped (-fsd), long ones with their
// value after "=" or as the next argument, "--" before a folder that begins with "-".
#include "options.h"

#include <charconv>
#include <string_view>

#include "system.h"

namespace arbo {
namespace {

enum class TOption {
  Files,
  Mask,
  MinSize,
  MaxSize,
  Size,
  Date,
  Sort,
  Encoding,
  Output,
  Help,
  Json,
  MaxDepth,
  Exclude,
  Summary,
  Snapshot,
  From,
  Compare,
  All,
  Format,
  CsvSeparator,
  Totals
};

struct TOptionName {
  char Short;  // 0 when there is none
  std::string_view Long;
  TOption Option;
  bool TakesValue;
};

constexpr TOptionName kOptions[] = {
    {'f', "files", TOption::Files, false},    {'m', "mask", TOption::Mask, true},
    {0, "min-size", TOption::MinSize, true},  {0, "max-size", TOption::MaxSize, true},
    {'s', "size", TOption::Size, false},      {'d', "date", TOption::Date, false},
    {0, "sort", TOption::Sort, true},         {0, "encoding", TOption::Encoding, true},
    {'o', "output", TOption::Output, true},   {'h', "help", TOption::Help, false},
    {0, "json", TOption::Json, false},        {'L', "max-depth", TOption::MaxDepth, true},
    {0, "summary", TOption::Summary, false},  {'x', "exclude", TOption::Exclude, true},
    {0, "snapshot", TOption::Snapshot, true}, {0, "from", TOption::From, true},
    {0, "compare", TOption::Compare, true},   {0, "all", TOption::All, false},
    {0, "format", TOption::Format, true},     {0, "csv-separator", TOption::CsvSeparator, true},
    {'t', "totals", TOption::Totals, false},
};

struct TFormatName {
  std::string_view Name;
  TOutputFormat Format;
};

constexpr TFormatName kFormats[] = {{"text", TOutputFormat::Text},
                                    {"json", TOutputFormat::Json},
                                    {"csv", TOutputFormat::Csv},
                                    {"html", TOutputFormat::Html},
                                    {"md", TOutputFormat::Markdown}};

bool ParseFormat(const std::string& value, TArboOptions& options, std::string& error) {
  for (const TFormatName& format : kFormats) {
    if (format.Name == value) {
      options.Format = format.Format;
      options.Json = format.Format == TOutputFormat::Json;
      return true;
    }
  }
  error = Say("--format attend text, json, csv, html ou md, pas « ",
              "--format takes text, json, csv, html or md, not \"") +
          value + Say(" »", "\"");
  return false;
}

// One character, or "tab".
bool ParseSeparator(const std::string& value, TArboOptions& options, std::string& error) {
  if (value == "tab" || value.size() == 1) {
    const char separator = value == "tab" ? '\t' : value[0];
    if (separator != '"' && separator != '\r' && separator != '\n') {
      options.CsvSeparator = separator;
      return true;
    }
  }
  error = Say("--csv-separator attend un caractère, pas « ",
              "--csv-separator takes one character, not \"") +
          value + Say(" »", "\"");
  return false;
}

// A whole decimal number of levels, 1 or more.
bool ParseDepth(const std::string& text, int& depth) {
  const char* end = text.data() + text.size();
  const auto [stop, failure] = std::from_chars(text.data(), end, depth);
  return failure == std::errc() && stop == end && depth >= 1;
}

// Masks separated by ";", of which one at least is not blank.
bool HasMask(const std::string& text) {
  for (char c : text) {
    if (c != ';' && static_cast<unsigned char>(c) > 32) return true;
  }
  return false;
}

const TOptionName* FindShort(char name) {
  for (const TOptionName& option : kOptions) {
    if (option.Short == name) return &option;
  }
  return nullptr;
}

const TOptionName* FindLong(std::string_view name) {
  for (const TOptionName& option : kOptions) {
    if (option.Long == name) return &option;
  }
  return nullptr;
}

bool Apply(TOption option, const std::string& value, TArboOptions& options, std::string& error) {
  switch (option) {
    case TOption::Files:
      options.Files = true;
      break;
    case TOption::Mask:
      options.Mask = value;
      break;
    case TOption::MinSize:
    case TOption::MaxSize: {
      const TSizeDirection direction =
          option == TOption::MinSize ? TSizeDirection::AtLeast : TSizeDirection::AtMost;
      if (options.SizeDirection != TSizeDirection::None && options.SizeDirection != direction) {
        error = Say("--min-size et --max-size s'excluent",
                    "--min-size and --max-size exclude each other");
        return false;
      }
      options.SizeDirection = direction;
      options.SizeText = value;
      break;
    }
    case TOption::Size:
      options.SizeColumn = true;
      break;
    case TOption::Date:
      options.DateColumn = true;
      break;
    case TOption::Sort:
      if (value == "alpha") {
        options.SortIndex = 0;
      } else if (value == "size") {
        options.SortIndex = 1;
      } else if (value == "date") {
        options.SortIndex = 2;
      } else {
        error = Say("--sort attend alpha, size ou date, pas « ",
                    "--sort takes alpha, size or date, not \"") +
                value + Say(" »", "\"");
        return false;
      }
      break;
    case TOption::Encoding:
      if (value == "utf8") {
        options.Encoding = TEncodingChoice::Utf8;
      } else if (value == "ansi") {
        options.Encoding = TEncodingChoice::Ansi;
      } else {
        error =
            Say("--encoding attend utf8 ou ansi, pas « ", "--encoding takes utf8 or ansi, not \"") +
            value + Say(" »", "\"");
        return false;
      }
      break;
    case TOption::Output:
      options.OutputFile = value;
      break;
    case TOption::Help:
      options.Help = true;
      break;
    case TOption::Json:
      options.Json = true;
      options.Format = TOutputFormat::Json;
      break;
    case TOption::Format:
      return ParseFormat(value, options, error);
    case TOption::CsvSeparator:
      return ParseSeparator(value, options, error);
    case TOption::Summary:
      options.Summary = true;
      break;
    case TOption::Snapshot:
      options.Snapshot = value;
      break;
    case TOption::From:
      options.From = value;
      break;
    case TOption::Compare:
      options.Compare = value;
      break;
    case TOption::All:
      options.All = true;
      break;
    case TOption::Totals:
      options.Totals = true;
      break;
    case TOption::MaxDepth:
      if (!ParseDepth(value, options.MaxDepth)) {
        error = Say("profondeur invalide (un nombre d'au moins 1) : ",
                    "invalid depth (a number of at least 1): ") +
                value;
        return false;
      }
      break;
    case TOption::Exclude:
      if (!HasMask(value)) {
        error = Say("exclusion vide : « ", "empty exclusion: \"") + value + Say(" »", "\"");
        return false;
      }
      // Several -x add up, as one text of masks.
      options.Exclude = options.Exclude ? *options.Exclude + ";" + value : value;
      break;
  }
  return true;
}

std::string UnknownOption(std::string_view option) {
  return Say("option inconnue : ", "unknown option: ") + std::string(option);
}

std::string MissingValue(std::string_view option) {
  return Say("l'option ", "option ") + std::string(option) +
         Say(" attend une valeur", " needs a value");
}

}  // namespace

bool ParseArguments(const std::vector<std::string>& arguments, TArboOptions& options,
                    std::string& error) {
  options.Encoding = AnsiByDefault() ? TEncodingChoice::Ansi : TEncodingChoice::Utf8;
  std::vector<std::string> folders;
  bool optionsEnded = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
      folders.push_back(argument);
    } else if (argument == "--") {
      optionsEnded = true;
    } else if (argument.starts_with("--")) {
      const size_t equals = argument.find('=');
      const TOptionName* option = FindLong(std::string_view(argument).substr(2, equals - 2));
      if (option == nullptr || (!option->TakesValue && equals != std::string::npos)) {
        error = UnknownOption(argument);
        return false;
      }
      std::string value;
      if (option->TakesValue) {
        if (equals != std::string::npos) {
          value = argument.substr(equals + 1);
        } else if (i + 1 < arguments.size()) {
          value = arguments[++i];
        } else {
          error = MissingValue(argument);
          return false;
        }
      }
      if (!Apply(option->Option, value, options, error)) return false;
    } else {
      // One or more short options; one that takes a value takes the rest or the next.
      for (size_t k = 1; k < argument.size(); ++k) {
        const TOptionName* option = FindShort(argument[k]);
        if (option == nullptr) {
          error = UnknownOption("-" + std::string(1, argument[k]));
          return false;
        }
        std::string value;
        if (option->TakesValue) {
          if (k + 1 < argument.size()) {
            value = argument.substr(k + 1);
          } else if (i + 1 < arguments.size()) {
            value = arguments[++i];
          } else {
            error = MissingValue("-" + std::string(1, argument[k]));
            return false;
          }
          k = argument.size();
        }
        if (!Apply(option->Option, value, options, error)) return false;
      }
    }
  }
  if (options.Help) return true;
  if (int(options.Snapshot.has_value()) + options.From.has_value() + options.Compare.has_value() >
      1) {
    error = Say("--snapshot, --from et --compare s'excluent",
                "--snapshot, --from and --compare exclude each other");
    return false;
  }
  // --from lists no folder; --compare takes one, or the old snapshot's root.
  if ((options.From && !folders.empty()) || (options.Compare && folders.size() > 1)) {
    error = Say("un seul dossier attendu", "only one folder expected");
    return false;
  }
  if (options.From || options.Compare) {
    if (!folders.empty()) options.Folder = folders.front();
    return true;
  }
  if (folders.size() != 1) {
    error = folders.empty() ? Say("dossier manquant (arbo --help pour l'aide)",
                                  "missing folder (arbo --help for help)")
                            : Say("un seul dossier attendu", "only one folder expected");
    return false;
  }
  options.Folder = folders.front();
  return true;
}

std::string UsageText() {
  if (FrenchMessages()) {
    return "Usage : arbo [options] DOSSIER\n"
           "Écrit l'arborescence de DOSSIER avec des connecteurs.\n"
           "  -f, --files            liste aussi les fichiers\n"
           "  -m, --mask TEXTE       masques séparés par « ; » (ex. *.htm;*.jpg)\n"
           "      --min-size KO      fichiers d'au moins KO kilo-octets\n"
           "      --max-size KO      fichiers d'au plus KO kilo-octets\n"
           "  -s, --size             colonne de la taille\n"
           "  -d, --date             colonne de la date et de l'heure\n"
           "      --sort alpha|size|date     ordre des fichiers (alpha par défaut)\n"
           "      --encoding utf8|ansi       utf8 : noms exacts en UTF-8, connecteurs ├ └ │ ─,\n"
           "                                 fins de ligne LF (défaut sous Linux) ;\n"
           "                                 ansi : octets 0xC3 0xC0 0xB3 0xC4 et CR LF ; sous\n"
           "                                 Windows (défaut), noms dans la page de code ANSI\n"
           "                                 comme la fenêtre les montre\n"
           "  -L, --max-depth N      liste N niveaux sous DOSSIER (1 : son contenu seul)\n"
           "  -x, --exclude TEXTE    laisse de côté les fichiers et les dossiers (non\n"
           "                         parcourus) dont le nom répond aux masques, comme -m\n"
           "      --summary          ajoute la ligne « N dossiers, M fichiers, T Ko »\n"
           "  -t, --totals           chaque dossier avec sa taille, ses fichiers et ses\n"
           "                         dossiers à toute profondeur (« au moins » : incomplet)\n"
           "      --json             un document JSON (UTF-8) au lieu des lignes : chemin\n"
           "                         relatif, nom, type, profondeur (1 sous DOSSIER),\n"
           "                         taille en octets, date ISO 8601 locale avec décalage\n"
           "      --format text|json|csv|html|md  le format (text par défaut ; --json :\n"
           "                         --format json) ; sauf text, toujours en UTF-8\n"
           "      --csv-separator C  séparateur du CSV (« , » par défaut ; tab)\n"
           "  -o, --output FICHIER   écrit dans FICHIER au lieu de la sortie standard\n"
           "      --snapshot FICHIER         écrit l'instantané de DOSSIER dans FICHIER\n"
           "      --from FICHIER             liste l'instantané FICHIER au lieu d'un dossier\n"
           "      --compare ANCIEN [NOUVEAU] ce qui a changé depuis l'instantané ANCIEN (+ "
           "ajouté,\n"
           "                                 - supprimé, ~ modifié), dans NOUVEAU (instantané\n"
           "                                 ou dossier ; sa racine par défaut) ; --all liste\n"
           "                                 aussi ce qui n'a pas changé ; code 1 : différences\n"
           "  -h, --help             affiche cette aide\n"
           "Code de sortie : 0 réussite, 1 liste écrite mais incomplète (dossiers illisibles),\n"
           "2 erreur, 130 interrompu (Ctrl-C).\n";
  }
  return "Usage: arbo [options] FOLDER\n"
         "Writes the tree below FOLDER with connectors.\n"
         "  -f, --files            list files too\n"
         "  -m, --mask TEXT        wildcard masks separated by \";\" (e.g. *.htm;*.jpg)\n"
         "      --min-size KB      files of at least KB kilobytes\n"
         "      --max-size KB      files of at most KB kilobytes\n"
         "  -s, --size             size column\n"
         "  -d, --date             date / time column\n"
         "      --sort alpha|size|date     order of the files (default alpha)\n"
         "      --encoding utf8|ansi       utf8: exact names in UTF-8, connectors as ├ └ │ ─,\n"
         "                                 LF line ends (default on Linux);\n"
         "                                 ansi: bytes 0xC3 0xC0 0xB3 0xC4 and CR LF; on\n"
         "                                 Windows (default), names in the ANSI code page\n"
         "                                 as the window shows them\n"
         "  -L, --max-depth N      list N levels below FOLDER (1: its contents only)\n"
         "  -x, --exclude TEXT     leave out files and folders (not walked) whose name\n"
         "                         matches the masks, as with -m\n"
         "      --summary          add the line \"N dossiers, M fichiers, T Ko\"\n"
         "  -t, --totals           each folder's size, files and folders at any depth\n"
         "      --json             one JSON document (UTF-8) instead of the lines: relative\n"
         "                         path, name, type, depth (1 below FOLDER), size in\n"
         "                         bytes, ISO 8601 local time with offset\n"
         "      --format text|json|csv|html|md  the format (default text; --json is\n"
         "                         --format json); all but text always in UTF-8\n"
         "      --csv-separator C  the CSV's separator (default \",\"; tab)\n"
         "  -o, --output FILE      write to FILE instead of standard output\n"
         "      --snapshot FILE            write the snapshot of FOLDER to FILE\n"
         "      --from FILE                list the snapshot FILE instead of a folder\n"
         "      --compare OLD [NEW]        what changed since the snapshot OLD (+ added,\n"
         "                                 - removed, ~ changed), in NEW (a snapshot or a\n"
         "                                 folder; its root by default); --all lists the\n"
         "                                 unchanged too; status 1: differences\n"
         "  -h, --help             show this help\n"
         "Exit status: 0 success, 1 listing written but incomplete (unread folders),\n"
         "2 error, 130 interrupted (Ctrl-C).\n";
}

}  // namespace arbo
