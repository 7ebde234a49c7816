package stereo;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertTrue;
import static org.junit.jupiter.api.Assumptions.assumeTrue;
import static stereo.TestFrames.COLS;
import static stereo.TestFrames.HSV;
import static stereo.TestFrames.RGB;
import static stereo.TestFrames.ROWS;
import static stereo.TestFrames.SNAPSHOT;
import static stereo.TestFrames.at;

import java.nio.file.Files;
import java.nio.file.Path;
import java.util.Map;
import java.util.stream.Stream;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.io.TempDir;

/** Calls that need their own simulated camera, working folder, or a process that may end. */
class ChildJvmTest {
    /** A 4 x 3 scene of uniform patches; the first is stored blue 10, green 20, red 30. */
    private static final int[][] PATCHES = {
        {30, 20, 10}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255},
        {200, 0, 1}, {200, 200, 100}, {100, 200, 200}, {200, 100, 200},
        {0, 0, 0}, {255, 255, 255}, {128, 128, 128}, {150, 100, 50},
    };

    @TempDir Path work;

    private void assertNoCrashFile() throws Exception {
        try (Stream<Path> files = Files.list(work)) {
            assertTrue(files.noneMatch(f -> f.getFileName().toString().startsWith("hs_err")));
        }
    }

    @Test
    void aFailingStepPrintsOneLineAndEndsTheProcessWithStatusOne() throws Exception {
        TestFrames.Child child = TestFrames.runChild(work, Map.of("SIMCAM_FAIL", "flycaptureGrabImage2"), false, RGB);
        assertEquals(1, child.exitCode());
        assertEquals("ERROR: flycaptureGrabImage() reported " + ChildRuns.INJECTED + ".\n", child.out());
        assertTrue(child.arrays().isEmpty(), "nothing is returned to Java");
        ChildRuns.assertNoNativeTrouble(child);
        assertNoCrashFile();
    }

    @Test
    void aBadSimulatedCameraSettingIsOneClearLine() throws Exception {
        TestFrames.Child child = TestFrames.runChild(work, Map.of("SIMCAM_MODEL", "twelve"), false, RGB);
        assertEquals(1, child.exitCode());
        assertTrue(child.out().startsWith("ERROR: flycaptureInitialize() reported "), child.out());
        assertTrue(child.out().contains("SIMCAM_MODEL"), child.out());
        assertEquals(child.out().length() - 1, child.out().indexOf('\n'), "exactly one line");
        assertNoCrashFile();
    }

    @Test
    void aKnownSceneComesBackExactlyInBothModes() throws Exception {
        // Patches of 16 x 16 scene pixels: the scene is scaled up smoothly,
        // so a patch of a single pixel would have no uniform inside.
        int side = 16;
        int width = 4 * side;
        int height = 3 * side;
        byte[] rgb = new byte[width * height * 3];
        for (int y = 0; y < height; y++) {
            for (int x = 0; x < width; x++) {
                int[] patch = PATCHES[(y / side) * 4 + x / side];
                for (int c = 0; c < 3; c++) {
                    rgb[(y * width + x) * 3 + c] = (byte) patch[c];
                }
            }
        }
        Path scene = work.resolve("patches.ppm");
        TestFrames.writePpm(scene, width, height, rgb);

        TestFrames.Child child = TestFrames.runChild(work, Map.of("SIMCAM_SCENE", scene.toString()), false, RGB, HSV);
        assertEquals(0, child.exitCode(), child.out() + child.err());
        assertEquals("", child.out());
        ChildRuns.assertNoNativeTrouble(child);
        int[] rgbPlanes = child.arrays().get(0);
        int[] hsvPlanes = child.arrays().get(1);
        for (int i = 0; i < PATCHES.length; i++) {
            // Patch centres lie a sixth of the frame from any patch edge.
            int row = (2 * (i / 4) + 1) * ROWS / 6;
            int col = (2 * (i % 4) + 1) * COLS / 8;
            int[] expectedHsv = TestFrames.hsv(PATCHES[i][0], PATCHES[i][1], PATCHES[i][2]);
            for (int c = 0; c < 3; c++) {
                assertEquals(PATCHES[i][c], at(rgbPlanes, c, row, col), "patch " + i + " plane " + c);
                assertEquals(expectedHsv[c], at(hsvPlanes, c, row, col), "patch " + i + " HSV plane " + c);
            }
        }
    }

    @Test
    void aMonoCameraGivesGreyPlanesAndValueEqualToTheGreyLevel() throws Exception {
        TestFrames.Child child = TestFrames.runChild(work, Map.of("SIMCAM_TYPE", "mono"), false, RGB, HSV);
        assertEquals(0, child.exitCode(), child.out() + child.err());
        ChildRuns.assertNoNativeTrouble(child);
        int[] rgb = child.arrays().get(0);
        int[] hsv = child.arrays().get(1);
        for (int row = 0; row < ROWS; row++) {
            for (int col = 0; col < COLS; col++) {
                int grey = at(rgb, 0, row, col);
                assertEquals(grey, at(rgb, 1, row, col));
                assertEquals(grey, at(rgb, 2, row, col));
                assertEquals(0, at(hsv, 0, row, col));
                assertEquals(0, at(hsv, 1, row, col));
                assertEquals(grey, at(hsv, 2, row, col));
            }
        }
    }

    @Test
    void aSnapshotWithoutALoggingFolderIsSilent() throws Exception {
        TestFrames.Child child = TestFrames.runChild(work, Map.of(), true, RGB);
        assertEquals(0, child.exitCode(), child.err());
        assertEquals("", child.out());
        assertEquals(3 * ROWS * COLS, child.arrays().get(0).length);
        assertFalse(Files.exists(work.resolve("logging")));
        try (Stream<Path> files = Files.list(work)) {
            assertEquals(0, files.count(), "nothing is left behind");
        }
    }

    @Test
    void aSnapshotReplayedAsTheSceneGivesTheSameFrame() throws Exception {
        assumeTrue(SNAPSHOT, "variant without snapshots");
        Files.createDirectory(work.resolve("logging"));
        Path snapshot = work.resolve("logging").resolve("pic0.ppm");
        TestFrames.Child recorded = TestFrames.runChild(work, Map.of(), true, RGB);
        assertEquals(0, recorded.exitCode(), recorded.err());
        Path scene = work.resolve("recorded.ppm");
        Files.move(snapshot, scene);

        TestFrames.Child replayed = TestFrames.runChild(work, Map.of("SIMCAM_SCENE", scene.toString()), false, RGB);
        assertEquals(0, replayed.exitCode(), replayed.err());
        int[] before = recorded.arrays().get(0);
        int[] after = replayed.arrays().get(0);
        assertEquals(before.length, after.length);
        long totalDifference = 0;
        int largeDifferences = 0;
        for (int i = 0; i < before.length; i++) {
            int difference = Math.abs(before[i] - after[i]);
            totalDifference += difference;
            if (difference > 64) {
                largeDifferences++;
            }
        }
        // Up to interpolation: edges blur a little, nothing moves or changes colour.
        assertTrue(totalDifference / (double) before.length < 3.0, "mean difference " + totalDifference / (double) before.length);
        assertTrue(largeDifferences < before.length / 100, largeDifferences + " large differences");
        int row = ROWS / 6;
        int col = COLS / 8;
        assertArrayEquals(new int[] {at(before, 0, row, col), at(before, 1, row, col), at(before, 2, row, col)},
                new int[] {at(after, 0, row, col), at(after, 1, row, col), at(after, 2, row, col)},
                "a uniform patch keeps its exact colour");
    }
}
