#pragma once
// Registers every property page of Corvane with the console host's page
// factory under its class name ("ppgServerSettings", ...).
namespace corvane {

class PageFactory;

void registerPropertyPages(PageFactory& factory);

} // namespace corvane
