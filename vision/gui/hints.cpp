#include "hints.hpp"

#include <filesystem>

#include "ball_names.hpp"

namespace Orvanta::hints {
namespace {

constexpr const char* kEndWithN = " Tipka n ili Esc (u ovom ili slikovnom prozoru) završava.";

std::string quoted(const std::string& text) {
  return "„" + text + "“";
}

}  // namespace

std::string sourceUnavailable(const std::string& source) {
  return "Izvor slike " + quoted(source) +
         " nije moguće otvoriti (nema kamere, datoteke ili slika). Pokrenite program s "
         "--camera IZVOR.";
}

std::string idle(const std::string& source, bool sourceOpens) {
  if (!sourceOpens) return sourceUnavailable(source);
  return "Izvor slike: " + quoted(source) +
         ". Prikaz videa, Odabir slike (kalibracija boja) ili Start (praćenje).";
}

std::string sourceEnded(int pictures) {
  return "Izvor je završio nakon " + std::to_string(pictures) + " slika.";
}

std::string previewRunning() {
  return std::string("Prikaz videa: posljednja prikazana slika služi za kalibraciju.") + kEndWithN;
}

std::string calibrationRunning() {
  return std::string(
             "Kalibracija: klikni na kuglu u prozoru „RGB prikaz slike“, zatim u histogramu na "
             "stupac od kojeg piksel pripada kugli; dok histogram čeka, klik na sliku se ne "
             "računa.") +
         kEndWithN;
}

std::string ballCalibrationRunning(int ball) {
  return "Nova boja " + std::string(kBallGenitive[ball - 1]) +
         " kugle: klikni na nju u prozoru „RGB prikaz slike“, zatim u histogramu na stupac od "
         "kojeg piksel pripada kugli." +
         kEndWithN;
}

std::string ballCalibrationDone(int ball, bool done) {
  return "Boja " + std::string(kBallGenitive[ball - 1]) + " kugle " +
         (done ? "je ponovno odabrana." : "ostaje kakva je bila.");
}

std::string trackingRunning() {
  return std::string("Praćenje: trake u slikovnim prozorima podešavaju obradu.") + kEndWithN;
}

std::string calibrationDone() {
  return "Kalibracija je gotova za sve četiri kugle. Start pokreće praćenje.";
}

std::string calibrationEnded(int balls) {
  return "Kalibracija je završena tipkom n; kalibrirano kugli: " + std::to_string(balls) + " od 4.";
}

std::string calibrationLoaded(const std::string& file) {
  return "Učitana kalibracija: " + quoted(file) + ".";
}

std::string calibrationUnreadable(const std::string& error) {
  return "Kalibracija nije učitana: " + error + ". Datoteka se neće mijenjati.";
}

std::string cameraFileUnreadable(const std::string& error) {
  return "Datoteka kamere nije učitana: " + error + ". Koristi se zadana kamera.";
}

std::string calibrationNotSaved(const std::string& file) {
  return "Nije spremljena: " + quoted(std::filesystem::path(file).filename().string()) +
         " nije pročitana pri pokretanju.";
}

}  // namespace Orvanta::hints
