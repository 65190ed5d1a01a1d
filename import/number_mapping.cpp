#include "import/number_mapping.h"

#include <limits>

namespace tarn::rcs {

namespace {

constexpr long kMaxField = std::numeric_limits<std::int16_t>::max();

bool FieldsFit(const Number& number) {
  if (number.empty() || number.size() > kMaxImportedFields) return false;
  for (const long field : number) {
    if (field < 0 || field > kMaxField) return false;
  }
  return true;
}

// 1.2.0.4 names branch 1.2.4.
Number WithoutMagicZero(Number number) {
  if (number.size() >= 4 && number.size() % 2 == 0 && number[number.size() - 2] == 0) {
    number.erase(number.end() - 2);
  }
  return number;
}

void AddPairs(const Number& number, std::size_t pairs, tarnCommandRevDesc& descriptor) {
  for (std::size_t k = 0; k < pairs; ++k) {
    descriptor.elements[k] = {kMatchExact, static_cast<std::int16_t>(number[2 * k]), kMatchExact,
                              static_cast<std::int16_t>(number[2 * k + 1])};
  }
}

}  // namespace

std::optional<tarnCommandRevDesc> RevisionDescriptor(const Number& number) {
  if (number.size() % 2 != 0 || !FieldsFit(number)) return std::nullopt;
  tarnCommandRevDesc descriptor;
  descriptor.iElementCount = static_cast<std::int16_t>(number.size() / 2);
  AddPairs(number, number.size() / 2, descriptor);
  return descriptor;
}

std::optional<tarnCommandRevDesc> BranchDescriptor(const Number& number) {
  if (number.size() % 2 != 1 || !FieldsFit(number)) return std::nullopt;
  const std::size_t pairs = number.size() / 2;
  tarnCommandRevDesc descriptor;
  descriptor.iElementCount = static_cast<std::int16_t>(pairs + 1);
  AddPairs(number, pairs, descriptor);
  descriptor.elements[pairs] = {kMatchExact, static_cast<std::int16_t>(number.back()), kMatchNewest,
                                -1};
  return descriptor;
}

std::optional<LabelRecord> SymbolLabel(const std::string& name, const Number& number) {
  const Number named = WithoutMagicZero(number);
  const std::optional<tarnCommandRevDesc> descriptor =
      named.size() % 2 == 0 ? RevisionDescriptor(named) : BranchDescriptor(named);
  if (!descriptor) return std::nullopt;
  LabelRecord label;
  label.iRevisionCount = descriptor->iElementCount;
  for (int k = 0; k < descriptor->iElementCount; ++k) {
    const RevElement& element = descriptor->elements[static_cast<std::size_t>(k)];
    label.elements[static_cast<std::size_t>(k)] = {element.iMajor, element.iMinor};
  }
  label.text = name;
  return label;
}

}  // namespace tarn::rcs
