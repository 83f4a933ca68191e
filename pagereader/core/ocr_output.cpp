#include "core/ocr_output.h"

#include "json/json_writer.h"

namespace pagereader {

OcrOutput OcrOutput::success(std::vector<OcrBlock> blocks) {
  return OcrOutput{true, std::move(blocks), std::nullopt};
}

OcrOutput OcrOutput::failure(std::string_view message) {
  return OcrOutput{false, std::nullopt, std::string(message)};
}

std::string jsonLine(const OcrOutput& output) {
  json::JsonWriter writer;
  writer.beginObject().key("ok").value(output.ok);
  if (output.blocks) {
    writer.key("blocks").beginArray();
    for (const OcrBlock& block : *output.blocks) {
      writer.beginObject().key("text").value(block.text).key("bbox").beginArray();
      for (double value : block.bbox) writer.value(value);
      writer.endArray().key("confidence").value(block.confidence).endObject();
    }
    writer.endArray();
  }
  if (output.error) writer.key("error").value(*output.error);
  writer.endObject();

  std::optional<std::string> text = writer.finish();
  if (!text) return std::string(kEncodeFailureLine);
  text->push_back('\n');
  return std::move(*text);
}

}  // namespace pagereader
