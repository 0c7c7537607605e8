// The host names of the content servers the viewer fetches from, written into its
// settings by a fresh installation. They belong to the deployment: set them here,
// and only here, for the servers a release is built for. The values below are
// placeholders under example.com.
#pragma once

// "Server1": thumbnails and additional information.
constexpr char kContentServer1[] = "contents1.example.com";
// "Server2" and "Server3" both name the second server, which serves the contents.
constexpr char kContentServer2[] = "contents2.example.com";
