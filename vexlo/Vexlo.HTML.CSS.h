// The catalogue of Bootstrap 5 class names that page rendering uses.
#pragma once

#include <string>

namespace vexlo {

struct TCSSClassButton {
  std::string primary = "btn btn-primary";
  std::string secondary = "btn btn-secondary";
  std::string success = "btn btn-success";
  std::string danger = "btn btn-danger";
  std::string warning = "btn btn-warning";
  std::string info = "btn btn-info";
  std::string light = "btn btn-light";
  std::string dark = "btn btn-dark";
  std::string link = "btn btn-link";
  // An info button carrying an icon override for the item renderer.
  static std::string iconbutton(const std::string& Icon) {
    return "btn-info [override-button-" + Icon + "]";
  }
};

struct TCSSClassCol {
  std::string col = "col";
  std::string col_auto = "col-auto";
  std::string col_sm = "col-sm";
  std::string col_md = "col-md";
  std::string col_lg = "col-lg";
};

struct TCSSClassColor {
  std::string primary = "text-primary";
  std::string secondary = "text-secondary";
  std::string success = "text-success";
  std::string danger = "text-danger";
  std::string warning = "text-warning";
  std::string info = "text-info";
  std::string dark = "text-dark";
  std::string white = "text-white";
};

struct TCSSClassDiv {
  std::string row = "row";
  std::string container = "container";
  std::string container_fluid = "container-fluid";
  std::string card = "card";
  std::string card_body = "card-body";
};

struct TCSSClassPanelColor {
  std::string primary = "bg-primary";
  std::string secondary = "bg-secondary";
  std::string light = "bg-light";
  std::string dark = "bg-dark";
  std::string white = "bg-white";
};

struct TCSSClassTabsColor {
  std::string tabs = "nav nav-tabs";
  std::string pills = "nav nav-pills";
};

struct TCSSClassText {
  std::string bold = "fw-bold";
  std::string start = "text-start";
  std::string center = "text-center";
  std::string end = "text-end";
};

struct TCSSClass {
  TCSSClassButton Button;
  TCSSClassCol Col;
  TCSSClassColor Color;
  TCSSClassDiv Div;
  TCSSClassPanelColor PanelColor;
  TCSSClassTabsColor TabsColor;
  TCSSClassText Text;
};

}  // namespace vexlo
