// What a framework's RenderFile made of each stream, read from the filter graph it built
// (for a framework that hands its graph over rather than telling about its streams).
#pragma once

#include <string>

#include "media/MediaFramework.h"

namespace ambrel {

// The graph is walked from its source filter (the filter without inputs) to the splitter:
// the filter the source's byte stream feeds, or the source itself when its outputs carry
// streams already. Each output pin of the splitter is one stream, in pin order: a pin
// connected to a filter with outputs plays with that filter (its name in the graph, its
// server file); one connected straight to a renderer plays without a decoder; a free one
// found no installed filter that accepts its media type. The splitter does not number its
// streams, so each carries the track type its media type tells (0 when it tells none).
media::TRenderFileStreams StreamsOfGraph(media::IMediaFramework& Fw, media::IFilterGraph& Graph);

// A media type as the verdicts name it: "video FOURCC H264", "audio wFormatTag 0x2000",
// else the major and sub type GUIDs.
std::string MediaTypeText(const media::AM_MEDIA_TYPE& Type);

}  // namespace ambrel
