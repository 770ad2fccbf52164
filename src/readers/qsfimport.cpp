#include "readers/qsfimport.h"

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <unordered_map>
#include <utility>

#include "boards/boardmodel.h"
#include "boards/larkspur_board.h"
#include "cards/catalogue.h"
#include "cards/choicelist.h"
#include "cards/usercards.h"
#include "host/filewrite.h"
#include "host/jsonwriter.h"
#include "host/paths.h"
#include "host/text.h"
#include "model/pin.h"
#include "project/checkedproject.h"
#include "project/settingsjson.h"
#include "readers/qsfcheck.h"

namespace pinwright {
namespace {

struct PlacedPin {
  std::string Name;
  std::string Ball;
};

struct CardPin {
  std::size_t Position;  // 0..39
  std::string Name;
};

struct CardMap {
  std::int32_t Card;
  std::vector<CardPin> Pins;
};

// The pins each part and each card brings, read from the tables through the board model once.
struct Catalogue {
  std::array<std::vector<PlacedPin>, kLarkspurComponents.size()> Parts;
  std::vector<CardMap> Cards;
};

std::vector<PlacedPin> PinsOf(const TLarkspurSettings& settings, bool headers) {
  const std::unique_ptr<TMainBoard> board = BuildLarkspurModel(settings);
  std::vector<PlacedPin> pins;
  for (std::size_t g = 0; g < board->GroupCount(); ++g) {
    const TConnector& group = board->GroupAt(g);
    if ((group.IsHeader() != 0) != headers)
      continue;
    for (std::size_t i = 0; i < group.PinEntryCount(); ++i) {
      const TPin* pin = group.PinAt(i);
      if (pin && pin->IsActive())
        pins.push_back({pin->Name(), headers ? std::to_string(i) : pin->Location()});
    }
  }
  return pins;
}

// The on-board pins a component brings when it alone is ticked: its own and those of the
// components it brings along, from the board's tables.
std::vector<PlacedPin> ComponentPins(const BoardDefinition& board, const BoardComponent& ticked) {
  BoardSettings alone;
  alone.Components.push_back(ticked.Key);
  std::vector<PlacedPin> pins;
  for (const BoardComponent& component : board.Components) {
    if (!ComponentInUse(alone, component))
      continue;
    for (const BoardPin& pin : component.Pins) {
      if (pin.Unless != ticked.Key)
        pins.push_back({pin.Name, pin.Ball});
    }
  }
  return pins;
}

std::unique_ptr<Catalogue> ReadCatalogue() {
  auto made = std::make_unique<Catalogue>();
  const BoardDefinition& board = LarkspurBoard();
  for (std::size_t c = 0; c < kLarkspurComponents.size(); ++c) {
    const std::size_t index = FindComponent(board, kLarkspurComponents[c].Name);
    if (index != std::string_view::npos)
      made->Parts[c] = ComponentPins(board, board.Components[index]);
  }
  for (const std::int32_t card : GpioHeaderChoices()) {
    if (card == kCardNone)
      continue;
    CardMap map{card, {}};
    for (PlacedPin& pin : PinsOf(CardAloneSettings(card), true))
      map.Pins.push_back({std::stoul(pin.Ball), std::move(pin.Name)});
    made->Cards.push_back(std::move(map));
  }
  return made;
}

// Read again whenever another set of user cards has been installed, so that a card file
// added while the program runs is recognised by its map from then on.
const Catalogue& ImportCatalogue() {
  static UntilCardsChange<Catalogue> catalogue(ReadCatalogue);
  return catalogue.Get();
}

// One port as the file leaves it.
struct FilePin {
  std::string Port;
  const QsfAssignment* Location = nullptr;
  const QsfAssignment* Standard = nullptr;
  std::string Ball;
  bool Placed = false;
};

// The card a header's ports fit: the card, its prefix, or nothing.
struct HeaderFit {
  std::int32_t Card = kCardNone;
  std::string Prefix;
  bool PairNames = false;  // GPIO_0[..] or GPIO_1[..] of the plain GPIO pair
};

class Importer {
 public:
  Importer(const TclScript& script, std::string_view file)
      : Script(script), Assignments(QsfAssignments(script)), File(file) {}

  QsfImport Run() {
    QsfImport result;
    Collect();
    std::string project;
    for (const QsfAssignment& a : Assignments) {
      if (a.Disabled || a.InSection || a.What != QsfAssignment::Kind::Global)
        continue;
      if (EqualsIgnoringCase(a.Name, "TOP_LEVEL_ENTITY"))
        project = a.Value;
      else if (EqualsIgnoringCase(a.Name, "SYSTEMVERILOG_FILE"))
        result.TopLevel = HdlLanguage::SystemVerilog;
      else if (EqualsIgnoringCase(a.Name, "VHDL_FILE"))
        result.TopLevel = HdlLanguage::Vhdl;
      else if (EqualsIgnoringCase(a.Name, "DEVICE") &&
               !EqualsIgnoringCase(a.Value, LarkspurBalls().Device))
        Refuse(result,
               "The file is for the device " + a.Value + ", not for the " +
                   LarkspurBalls().BoardName + " board's " + LarkspurBalls().Device + ".",
               &a);
    }
    if (project.empty())
      Refuse(result, "The file names no top-level entity (TOP_LEVEL_ENTITY).");
    // A name the settings record cannot hold whole would become another project's name.
    if (project.find('\0') != std::string::npos)
      Refuse(result, "The top-level entity (TOP_LEVEL_ENTITY) holds a NUL byte.");
    if (project.size() > kTextCapacity) {
      Refuse(result,
             "The top-level entity (TOP_LEVEL_ENTITY) is " + std::to_string(project.size()) +
                 " bytes long; a project name has at most " + std::to_string(kTextCapacity) + ".");
    }

    TLarkspurSettings& settings = result.Settings;
    settings = DefaultLarkspurSettings();
    for (const LarkspurComponent& component : kLarkspurComponents)
      settings.*component.Flag = 0;
    settings.ProjectName.Set(project);
    ReadParts(settings, result.Choices);
    std::array<HeaderFit, 2> fits = {ReadHeader(0, result.Choices), ReadHeader(1, result.Choices)};
    settings.Gpio0.Set(fits[0].Card);
    settings.Gpio1.Set(fits[1].Card);
    settings.PrefixGpio0.Set(fits[0].Prefix);
    settings.PrefixGpio1.Set(fits[1].Prefix);
    // The plain pair's names come only with the plain card on both headers, unprefixed.
    if (fits[0].PairNames != fits[1].PairNames ||
        (fits[0].PairNames && !IsDefaultGpioPair(settings))) {
      Refuse(result,
             "Only one header carries the names GPIO_0[..] or GPIO_1[..], which the "
             "plain GPIO card gets only on both headers at once.");
    }

    if (result.Ok()) {
      const Result<CheckedSettings> checked = CheckLarkspurSettings(settings);
      if (!checked)
        Refuse(result, "The settings found are refused: " + checked.Error().Reason);
      else
        Reconcile(*checked, result);
    }
    for (const std::string& port : Order) {
      const FilePin& pin = Pins.at(port);
      if (pin.Placed)
        continue;
      const QsfAssignment* at = pin.Location ? pin.Location : pin.Standard;
      const std::string location = pin.Location ? pin.Location->Value : std::string();
      result.Unplaced.push_back({{File,
                                  at->Line,
                                  at->Column,
                                  DiagnosticSeverity::Warning,
                                  {},
                                  port + (location.empty() ? "" : " on " + location) +
                                      " belongs to no whole part and no card; it is left out "
                                      "of the settings"},
                                 port,
                                 location});
    }
    return result;
  }

 private:
  const TclScript& Script;
  std::vector<QsfAssignment> Assignments;
  std::string File;
  std::vector<std::string> Order;
  std::unordered_map<std::string, FilePin> Pins;
  std::unordered_map<std::string, std::string> BallOwners;  // ball -> port

  // The first reason found is the one given; at is the command it stands at, when one does.
  void Refuse(QsfImport& result, std::string message, const QsfAssignment* at = nullptr) const {
    if (result.Refusal)
      return;
    Diagnostic& refusal = result.Refusal.emplace();
    refusal.File = File;
    if (at) {
      refusal.Line = at->Line;
      refusal.Column = at->Column;
    }
    refusal.Message = std::move(message);
  }

  void Collect() {
    for (const QsfAssignment& a : Assignments) {
      if (a.Disabled || a.InSection || a.To.empty())
        continue;
      const bool location = a.What == QsfAssignment::Kind::Location;
      if (!location &&
          !(a.What == QsfAssignment::Kind::Instance && EqualsIgnoringCase(a.Name, "IO_STANDARD"))) {
        continue;
      }
      auto [pin, isNew] = Pins.try_emplace(a.To);
      if (isNew) {
        Order.push_back(a.To);
        pin->second.Port = a.To;
      }
      if (location) {
        pin->second.Location = &a;
        pin->second.Ball = BallOf(a.Value);
      } else {
        pin->second.Standard = &a;
      }
    }
    for (const std::string& port : Order) {
      const FilePin& pin = Pins.at(port);
      if (!pin.Ball.empty())
        BallOwners.emplace(pin.Ball, port);
    }
  }

  bool Has(const std::string& port, const std::string& ball) const {
    const auto found = Pins.find(port);
    return found != Pins.end() && found->second.Ball == ball;
  }

  void ReadParts(TLarkspurSettings& settings, std::vector<std::string>& choices) {
    const Catalogue& catalogue = ImportCatalogue();
    for (std::size_t c = 0; c < kLarkspurComponents.size(); ++c) {
      const std::vector<PlacedPin>& pins = catalogue.Parts[c];
      const bool all =
          !pins.empty() && std::all_of(pins.begin(), pins.end(),
                                       [&](const PlacedPin& p) { return Has(p.Name, p.Ball); });
      settings.*kLarkspurComponents[c].Flag = all ? 1 : 0;
    }
    // A component that a ticked one brings along (the first LPDDR4 bank with the processor
    // system): the file cannot tell whether it was ticked as well.
    const BoardDefinition& board = LarkspurBoard();
    for (const BoardComponent& component : board.Components) {
      const std::optional<std::size_t> own = FindLarkspurComponent(component.Key);
      for (const std::string& by : component.BroughtBy) {
        const std::optional<std::size_t> bringer = FindLarkspurComponent(by);
        if (!own || !bringer || settings.*kLarkspurComponents[*bringer].Flag == 0 ||
            settings.*kLarkspurComponents[*own].Flag == 0)
          continue;
        settings.*kLarkspurComponents[*own].Flag = 0;
        choices.push_back(
            std::string(kLarkspurComponents[*own].Caption) + " is taken as brought along by " +
            std::string(kLarkspurComponents[*bringer].Caption) + ", not ticked by itself.");
      }
    }
  }

  // The ball of each header position, from the board's tables.
  static std::array<std::string, 40> HeaderBalls(int header) {
    std::array<std::string, 40> balls;
    for (const auto& [ball, info] : LarkspurBalls().Balls) {
      if (info.Header == header)
        balls[static_cast<std::size_t>(info.Position - 1)] = ball;
    }
    return balls;
  }

  // The display name the "# GPIO_N, GPIO connect to NAME" comment gives the header's card.
  std::string CommentedCard(int header) const {
    const std::string start =
        " " + std::string(kLarkspurHeaders[static_cast<std::size_t>(header)].GroupName) +
        ", GPIO connect to ";
    for (const TclComment& comment : Script.Comments) {
      if (comment.Text.starts_with(start))
        return comment.Text.substr(start.size());
    }
    return {};
  }

  HeaderFit ReadHeader(int header, std::vector<std::string>& choices) {
    const std::array<std::string, 40> balls = HeaderBalls(header);
    std::array<const std::string*, 40> ports{};
    bool any = false;
    for (std::size_t i = 0; i < balls.size(); ++i) {
      if (const auto owner = BallOwners.find(balls[i]);
          !balls[i].empty() && owner != BallOwners.end()) {
        ports[i] = &owner->second;
        any = true;
      }
    }
    if (!any)
      return {};
    // The plain pair names the positions GPIO_N[..].
    const auto& pairNames = LarkspurBalls().PairNames[static_cast<std::size_t>(header)];
    bool pair = true;
    for (std::size_t i = 0; i < 40 && pair; ++i)
      pair = pairNames[i].empty() ? ports[i] == nullptr : ports[i] && *ports[i] == pairNames[i];
    if (pair)
      return {kCardGpioDefault, {}, true};

    std::vector<HeaderFit> fits;
    for (const CardMap& map : ImportCatalogue().Cards) {
      std::optional<std::string> prefix;
      std::size_t matched = 0;
      bool fits_ = true;
      for (const CardPin& pin : map.Pins) {
        const std::string* port = ports[pin.Position];
        if (!port || !port->ends_with(pin.Name)) {
          fits_ = false;
          break;
        }
        const std::string own = port->substr(0, port->size() - pin.Name.size());
        if (prefix && *prefix != own) {
          fits_ = false;
          break;
        }
        prefix = own;
        ++matched;
      }
      const std::size_t used = static_cast<std::size_t>(std::count_if(
          ports.begin(), ports.end(), [](const std::string* p) { return p != nullptr; }));
      if (fits_ && matched == used)
        fits.push_back({map.Card, prefix.value_or(""), false});
    }
    if (fits.empty())
      return {};
    if (fits.size() == 1)
      return fits.front();
    const std::string commented = CommentedCard(header);
    for (const HeaderFit& fit : fits) {
      if (!commented.empty() && CardById(fit.Card).Name == commented)
        return fit;
    }
    std::string others;
    for (std::size_t i = 1; i < fits.size(); ++i)
      others += (i > 1 ? ", " : "") + std::string(CardById(fits[i].Card).Name);
    choices.push_back("GPIO-" + std::to_string(header) + ": the ports fit " +
                      std::string(CardById(fits.front().Card).Name) + " and also " + others +
                      "; without a \"GPIO connect to\" comment the first is taken.");
    return fits.front();
  }

  // Marks the file's pins the settings account for; a pin of the settings that the file
  // lacks makes them inconsistent.
  void Reconcile(const CheckedSettings& checked, QsfImport& result) {
    checked.Board().ForEachActivePin([&](std::size_t, const TConnector&, const TPin& pin) {
      if (!WritesAssignment(pin) || pin.Location().empty())
        return;
      const auto found = Pins.find(pin.Name());
      if (found == Pins.end() || found->second.Ball != pin.Location()) {
        Refuse(result, "The settings found would place " + pin.Name() + " on PIN_" +
                           pin.Location() + ", which the file does not.");
        return;
      }
      found->second.Placed = true;
    });
  }
};

}  // namespace

QsfImport ImportQsf(const TclScript& script, std::string_view file) {
  return Importer(script, file).Run();
}

Result<QsfImport> ImportQsfFile(const std::string& path) {
  Result<std::string> text = ReadTextFile(path);
  if (!text)
    return text.Error();
  const TclScript script = ReadTclWords(*text, FileNameOf(path));
  if (script.Error)
    return Failure{FailureKind::CannotRead, path, DiagnosticLine(NotASettingsFile(script)), {}};
  return ImportQsf(script, path);
}

std::string QsfImportNotes(const QsfImport& import) {
  std::string text;
  for (const std::string& choice : import.Choices)
    text += choice + "\r\n";
  if (import.Unplaced.empty())
    return text;
  if (!text.empty())
    text += "\r\n";
  text += "These assignments fit no part and no card and are not in the settings:\r\n";
  for (std::size_t i = 0; i < import.Unplaced.size() && i < kNotedAssignments; ++i) {
    const UnplacedAssignment& unplaced = import.Unplaced[i];
    text += "  " + unplaced.Port +
            (unplaced.Location.empty() ? std::string() : " on " + unplaced.Location) + " (line " +
            std::to_string(unplaced.Line) + ")\r\n";
  }
  if (import.Unplaced.size() > kNotedAssignments) {
    text += "  and " + std::to_string(import.Unplaced.size() - kNotedAssignments) + " more\r\n";
  }
  return text;
}

bool IsQsfPath(const std::string& path) {
  return path.size() >= 4 &&
         EqualsIgnoringCase(std::string_view(path).substr(path.size() - 4), ".qsf");
}

std::string QsfImportJson(const QsfImport& import) {
  TJsonWriter json;
  json.BeginObject();
  json.Key("imported");
  json.Bool(import.Ok());
  if (!import.Ok()) {
    json.Key("reason");
    json.String(import.Refusal->Message);
  }
  WriteSettingsMembers(json, import.Settings);
  json.Key("top_level");
  json.String(HdlLanguageKeyword(import.TopLevel));
  json.Key("choices");
  json.BeginArray();
  for (const std::string& choice : import.Choices)
    json.String(choice);
  json.EndArray();
  json.Key("unplaced");
  json.BeginArray();
  for (const UnplacedAssignment& unplaced : import.Unplaced) {
    json.BeginObject(/*oneLine=*/true);
    json.Key("port");
    json.String(unplaced.Port);
    json.Key("location");
    json.String(unplaced.Location);
    json.Key("line");
    json.Number(unplaced.Line);
    json.Key("column");
    json.Number(unplaced.Column);
    json.EndObject();
  }
  json.EndArray();
  json.EndObject();
  return json.Text();
}

}  // namespace pinwright
