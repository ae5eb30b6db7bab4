// Pictures built into the program (PNG bytes).
#pragma once

#include <string_view>

namespace app {

std::string_view ResLogo();       // the city hall's emblem, 105 x 105
std::string_view ResLoginSide();  // the login window's decorative side, 447 x 535
// The main menu's button pictures, 24 x 24.
std::string_view ResMenuRecolher();
std::string_view ResMenuFechar();
std::string_view ResMenuUser();
std::string_view ResMenuSolicitacoes();
std::string_view ResMenuGerenciamento();
std::string_view ResMenuRelatorio();
std::string_view ResMenuUsuarios();
std::string_view ResMenuCadUsuarios();
std::string_view ResMenuTiposUsuario();
std::string_view ResMenuCadastros();
std::string_view ResMenuPrefeitura();
std::string_view ResMenuUnidades();
std::string_view ResMenuTiposUnidade();
std::string_view ResMenuTiposSolicitacao();
std::string_view ResMenuSituacoes();
std::string_view ResMenuConfiguracoes();

}  // namespace app
