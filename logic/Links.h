// The web pages the welcome screen and the About page link to.
#pragma once

inline const char* const kMakerHomeUrl = "https://www.orbenza.example/";
inline const char* const kVantrelHomeUrl = "https://vantrel.orbenza.example/";
inline const char* const kMappingInfoUrl = "https://www.orbenza.example/mapping/information/";
inline const char* const kInterpretationInfoUrl =
    "https://www.orbenza.example/interpretation/information/";
